#!/usr/bin/env bash
# scripts/check-layers on a small tree of its own: each case adds one include
# to one file and expects the check to pass or to fail naming that file.
set -uo pipefail
script=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# case EXPECT FILE INCLUDE [LINKS]: LINKS is the folder's CMakeLists.txt, for
# tests/ and bench/ folders.
failures=0
run_case() {
  local expect=$1 file=$2 include=$3 links=${4:-}
  rm -rf "$scratch/tree"
  mkdir -p "$scratch/tree/src/water" "$scratch/tree/src/app" "$scratch/tree/src/render" \
           "$scratch/tree/src/platform" "$scratch/tree/tools/builder" "$scratch/tree/bench"
  mkdir -p "$scratch/tree/$(dirname "$file")"
  echo 'target_link_libraries(x PRIVATE wobble_core)' > "$scratch/tree/bench/CMakeLists.txt"
  [[ -n $links ]] && echo "target_link_libraries(x PRIVATE $links)" \
                       > "$scratch/tree/$(dirname "$file")/CMakeLists.txt"
  printf '#include %s\nint x;\n' "$include" > "$scratch/tree/$file"
  local out got
  out=$(bash "$script" "$scratch/tree" 2>&1)
  got=$([[ $? == 0 ]] && echo pass || echo fail)
  if [[ $got != "$expect" ]] || [[ $got == fail && $out != *"$file"* ]]; then
    echo "FAILED: $file with $include ${links:+(links $links)}: expected $expect, got $got: $out"
    failures=$((failures + 1))
  fi
}

run_case pass src/app/a.cpp '"render/x.h"'
run_case fail src/water/a.cpp '"app/x.h"'
run_case fail src/water/a.cpp '<render/x.h>'
run_case fail src/water/a.cpp '"../render/x.h"'
run_case pass src/water/a.cpp '"../water/x.h"'
run_case fail src/render/a.cpp '"../../src/app/x.h"'
run_case pass src/platform/a.cpp '<SDL2/SDL.h>'
run_case fail src/app/a.cpp '<SDL2/SDL.h>'
run_case fail src/app/a.cpp '"SDL.h"'
run_case fail src/render/a.cpp '<SDL_events.h>'
run_case fail tools/builder/a.cpp '<GL/gl.h>'
run_case pass tools/builder/a.cpp '<assimp/scene.h>'
run_case fail tests/water/a.cpp '"render/x.h"' wobble_test
run_case pass tests/render/a.cpp '"render/x.h"' 'wobble_render wobble_gl'
run_case pass tests/render/a.cpp '<SDL2/SDL.h>' 'wobble_render wobble_gl'
run_case fail tests/render/a.cpp '"app/x.h"' 'wobble_render'
run_case fail bench/water/a.cpp '<GL/gl.h>' wobble_bench
run_case pass bench/app/a.cpp '"platform/x.h"' wobble_platform
run_case fail bench/a.h '"app/x.h"'

if ((failures)); then
  echo "$failures of the layer check's cases failed"
  exit 1
fi
echo "every layer check case behaved"
