# Entry points for people and CI. Each target installs what is missing first,
# so `make run` and `make test` work on a fresh Debian machine.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD := build
SANITIZE_BUILD := build-sanitize
WEB_BUILD := build-web
# Debian's emscripten runs offline with Debian's JavaScript modules.
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs

.PHONY: all deps build run test bench sanitize fuzz-smoke long-run format clean install deb web \
        serve-web test-web

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake --preset default

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The demo on the sample scene, in a window; without a display it runs
# headless and writes a screenshot.
run: build
	@bash scripts/run-demo $(BUILD)/wobble

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The programs, the sample scene, manual pages, desktop entry, icon and bash
# completion under PREFIX (DESTDIR=... stages them elsewhere, as packagers do).
PREFIX ?= /usr/local
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the same, in $(BUILD)/wobble_<version>_<arch>.deb.
deb: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@bash scripts/run-benchmarks $(BUILD)

# The whole test suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake --preset sanitize
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each reader's libFuzzer target and the model import's (built with clang in
# build-fuzz) for 15 s on the committed seed corpus; fails on any finding but
# the model import's contained timeouts. scripts/fuzz-long runs them for longer.
fuzz-smoke: deps
	@bash scripts/fuzz-smoke

# The program for 100000 frames of mixed input (memory flat, state finite),
# then with the pump held until the body blows up, under the sanitizers.
long-run: build
	cmake --preset sanitize
	cmake --build $(SANITIZE_BUILD) --target wobble -j $(JOBS)
	@bash scripts/long-run $(BUILD)/wobble

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The browser's build in $(WEB_BUILD): the page (index.html), its scenes
# (built by the desktop's wobble-scene), and wobble-node.js (the same loop
# under Node, which the program tests compare with the desktop's).
web: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target wobble-scene
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	bash scripts/web-scenes $(BUILD) $(WEB_BUILD)

# The page driven in Debian's Chromium, headless (tests/web); screenshots in
# $(WEB_BUILD)/e2e-screenshots.
test-web: web build
	bash tests/web/run $(BUILD) $(WEB_BUILD)

# The page on this machine only: http://127.0.0.1:8026/
WEB_PORT ?= 8026
serve-web:
	@test -f $(WEB_BUILD)/index.html || { echo "serve-web: run make web first" >&2; exit 1; }
	@echo "wobble's page: http://127.0.0.1:$(WEB_PORT)/  (Ctrl-C ends)"
	cd $(WEB_BUILD) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(WEB_BUILD)
