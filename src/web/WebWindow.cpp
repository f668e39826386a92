#include "web/WebWindow.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wobble {

bool WebWindow::Create(const DisplaySettings& display) {
    emscripten_set_canvas_element_size("#canvas", display.width, display.height);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false;  // the clear colour's alpha must not show the page through
    attributes.depth = true;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = true;  // screenshots read the frame on show
    attributes.majorVersion = 1;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        ShowMessage("ERROR", "This browser gives the page no WebGL.", MessageIcon::kWarning);
        return false;
    }
    emscripten_webgl_make_context_current(context);
    // The water's grid has more corners than 16-bit indices reach.
    emscripten_webgl_enable_extension(context, "OES_element_index_uint");
    return true;
}

bool WebWindow::PollEvent(InputEvent& event) {
    if (events_.empty())
        return false;
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

void WebWindow::SetFullscreen(bool fullscreen, const FullscreenMode&) {
    EM_ASM({ wobblePage.setFullscreen($0); }, fullscreen);
}

void WebWindow::ShowMessage(const char* caption, const char* text, MessageIcon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    EM_ASM({ wobblePage.showMessage(UTF8ToString($0), UTF8ToString($1)); }, caption, text);
}

void WebWindow::Size(int& width, int& height) const {
    emscripten_get_canvas_element_size("#canvas", &width, &height);
}

bool WebWindow::Read(MouseState& state) {
    state = MouseState();
    state.lX = motionX_;
    state.lY = motionY_;
    for (int b = 0; b < 3; ++b)
        state.rgbButtons[b] = buttons[b] ? 0x80 : 0;
    motionX_ = motionY_ = 0;
    return true;
}

namespace {

struct Named {
    const char* code;
    int key;
};

// The keys the desktop's table names, by KeyboardEvent.code.
constexpr Named kNamedKeys[] = {
    {"Backspace", 0x08},      {"Tab", 0x09},
    {"Enter", 0x0D},          {"Pause", 0x13},
    {"CapsLock", 0x14},       {"Escape", 0x1B},
    {"Space", 0x20},          {"PageUp", 0x21},
    {"PageDown", 0x22},       {"End", 0x23},
    {"Home", 0x24},           {"ArrowLeft", 0x25},
    {"ArrowUp", 0x26},        {"ArrowRight", 0x27},
    {"ArrowDown", 0x28},      {"PrintScreen", 0x2C},
    {"Insert", 0x2D},         {"Delete", 0x2E},
    {"ShiftLeft", 0x10},      {"ShiftRight", 0x10},
    {"ControlLeft", 0x11},    {"ControlRight", 0x11},
    {"AltLeft", 0x12},        {"AltRight", 0x12},
    {"NumpadMultiply", 0x6A}, {"NumpadAdd", 0x6B},
    {"NumpadSubtract", 0x6D}, {"NumpadDivide", 0x6F},
    {"NumpadEnter", 0x0D},    {"NumLock", 0x90},
    {"ScrollLock", 0x91},     {"Semicolon", 0xBA},
    {"Equal", 0xBB},          {"Comma", 0xBC},
    {"Minus", 0xBD},          {"Period", 0xBE},
    {"Slash", 0xBF},          {"Backquote", 0xC0},
    {"BracketLeft", 0xDB},    {"Backslash", 0xDC},
    {"BracketRight", 0xDD},   {"Quote", 0xDE},
};

// Keypad keys: their digit with Num Lock on, otherwise the key they double as.
struct Keypad {
    const char* code;
    int withNumLock;
    int withoutNumLock;
};

constexpr Keypad kKeypad[] = {
    {"Numpad0", 0x60, 0x2D}, {"Numpad1", 0x61, 0x23},       {"Numpad2", 0x62, 0x28},
    {"Numpad3", 0x63, 0x22}, {"Numpad4", 0x64, 0x25},       {"Numpad5", 0x65, 0x0C},
    {"Numpad6", 0x66, 0x27}, {"Numpad7", 0x67, 0x24},       {"Numpad8", 0x68, 0x26},
    {"Numpad9", 0x69, 0x21}, {"NumpadDecimal", 0x6E, 0x2E},
};

}  // namespace

int VirtualKeyFromCode(const char* code, bool numLock) {
    const size_t length = std::strlen(code);
    if (length == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z')
        return code[3];
    if (length == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9')
        return code[5];
    if (code[0] == 'F' && length >= 2 && length <= 3) {
        const int n = std::atoi(code + 1);
        if (n >= 1 && n <= 12)
            return 0x70 + n - 1;
    }
    for (const Keypad& k : kKeypad)
        if (std::strcmp(k.code, code) == 0)
            return numLock ? k.withNumLock : k.withoutNumLock;
    for (const Named& k : kNamedKeys)
        if (std::strcmp(k.code, code) == 0)
            return k.key;
    return -1;
}

}  // namespace wobble
