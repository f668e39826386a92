#pragma once
// The state of every key, indexed by virtual-key code (arrows 0x25-0x28,
// letters 0x41-0x5A as upper case, Escape 0x1B, F1-F12 0x70-0x7B, keypad
// digits 0x60-0x69). The main loop writes it from key-down and key-up
// events; the key bindings read it once per frame and clear the entries of
// the bindings that act once per key-down.

#include <cstdint>
#include <cstring>

namespace wobble {

namespace vk {
constexpr int kEscape = 0x1B;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kNumpad2 = 0x62;
constexpr int kF1 = 0x70;
constexpr int kF5 = 0x74;
constexpr int kF9 = 0x78;
constexpr int kF11 = 0x7A;
constexpr int kF12 = 0x7B;
// 'A'..'Z' are their own codes.
constexpr int Letter(char upper) {
    return upper;
}
}  // namespace vk

class KeyTable {
public:
    static constexpr int kSize = 256;

    // Codes outside the table are ignored: nothing outside it is ever written.
    void Press(int code) {
        if (code >= 0 && code < kSize)
            down[code] = 1;
    }
    void Release(int code) {
        if (code >= 0 && code < kSize)
            down[code] = 0;
    }
    bool IsDown(int code) const { return code >= 0 && code < kSize && down[code] != 0; }
    void ReleaseAll() { std::memset(down, 0, sizeof down); }

    uint8_t down[kSize] = {};  // 1 while the key counts as down
};

}  // namespace wobble
