#include "platform/KeyCodes.h"

namespace wobble {

namespace {

struct Mapping {
    SDL_Keycode sdl;
    int code;
};

constexpr Mapping kNamedKeys[] = {
    {SDLK_BACKSPACE, 0x08},   {SDLK_TAB, 0x09},          {SDLK_RETURN, 0x0D},
    {SDLK_PAUSE, 0x13},       {SDLK_CAPSLOCK, 0x14},     {SDLK_ESCAPE, 0x1B},
    {SDLK_SPACE, 0x20},       {SDLK_PAGEUP, 0x21},       {SDLK_PAGEDOWN, 0x22},
    {SDLK_END, 0x23},         {SDLK_HOME, 0x24},         {SDLK_LEFT, 0x25},
    {SDLK_UP, 0x26},          {SDLK_RIGHT, 0x27},        {SDLK_DOWN, 0x28},
    {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D},       {SDLK_DELETE, 0x2E},
    {SDLK_LSHIFT, 0x10},      {SDLK_RSHIFT, 0x10},       {SDLK_LCTRL, 0x11},
    {SDLK_RCTRL, 0x11},       {SDLK_LALT, 0x12},         {SDLK_RALT, 0x12},
    {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},      {SDLK_KP_MINUS, 0x6D},
    {SDLK_KP_DIVIDE, 0x6F},   {SDLK_KP_ENTER, 0x0D},     {SDLK_NUMLOCKCLEAR, 0x90},
    {SDLK_SCROLLLOCK, 0x91},  {SDLK_SEMICOLON, 0xBA},    {SDLK_EQUALS, 0xBB},
    {SDLK_COMMA, 0xBC},       {SDLK_MINUS, 0xBD},        {SDLK_PERIOD, 0xBE},
    {SDLK_SLASH, 0xBF},       {SDLK_BACKQUOTE, 0xC0},    {SDLK_LEFTBRACKET, 0xDB},
    {SDLK_BACKSLASH, 0xDC},   {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE},
};

// Keypad keys: their digit code with Num Lock on, otherwise the key they double as.
struct KeypadMapping {
    SDL_Keycode sdl;
    int withNumLock;
    int withoutNumLock;
};

constexpr KeypadMapping kKeypad[] = {
    {SDLK_KP_0, 0x60, 0x2D}, {SDLK_KP_1, 0x61, 0x23},      {SDLK_KP_2, 0x62, 0x28},
    {SDLK_KP_3, 0x63, 0x22}, {SDLK_KP_4, 0x64, 0x25},      {SDLK_KP_5, 0x65, 0x0C},
    {SDLK_KP_6, 0x66, 0x27}, {SDLK_KP_7, 0x67, 0x24},      {SDLK_KP_8, 0x68, 0x26},
    {SDLK_KP_9, 0x69, 0x21}, {SDLK_KP_PERIOD, 0x6E, 0x2E},
};

}  // namespace

int VirtualKeyFromSdl(const SDL_Keysym& key) {
    const SDL_Keycode k = key.sym;
    if (k >= SDLK_a && k <= SDLK_z)
        return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9)
        return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return 0x70 + (k - SDLK_F1);
    for (const KeypadMapping& m : kKeypad) {
        if (m.sdl == k)
            return (key.mod & KMOD_NUM) != 0 ? m.withNumLock : m.withoutNumLock;
    }
    for (const Mapping& m : kNamedKeys) {
        if (m.sdl == k)
            return m.code;
    }
    return -1;
}

}  // namespace wobble
