#pragma once
// The state of every key, indexed by virtual-key code (arrows 0x25-0x28,
// letters 0x41-0x5A as upper case, Escape 0x1B, F1-F12 0x70-0x7B, keypad
// digits 0x60-0x69). The main loop writes it from key-down and key-up
// events; the key bindings read it once per frame and clear the entries of
// the bindings that act once per key-down.
//
// A key pressed and released between two frames still counts for the next
// frame: its key-up waits until a frame has seen the key down (EndFrame).
// Otherwise a quick tap during a slow frame, or a press and release that the
// window system delivers together, would never act.

#include <cstdint>
#include <cstring>

namespace wobble {

namespace vk {
constexpr int kTab = 0x09;
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

    // A key-down; codes outside the table are ignored, so nothing outside it
    // is ever written. Only a key that was up makes a fresh press: the
    // auto-repeated key-downs of a held key change nothing.
    void Press(int code) {
        if (code < 0 || code >= kSize)
            return;
        if (down[code] == 0)
            unseen_[code] = 1;
        down[code] = 1;
        releaseWaits_[code] = 0;
    }
    // A key-up: the key reads as up at once, unless no frame has seen its
    // key-down yet; then it reads as up after the next frame.
    void Release(int code) {
        if (code < 0 || code >= kSize)
            return;
        if (unseen_[code] != 0 && down[code] != 0) {
            releaseWaits_[code] = 1;
            return;
        }
        down[code] = 0;
    }
    // Clears an entry now, as a once binding does after acting.
    void Clear(int code) {
        if (code < 0 || code >= kSize)
            return;
        down[code] = 0;
        unseen_[code] = 0;
        releaseWaits_[code] = 0;
    }
    bool IsDown(int code) const { return code >= 0 && code < kSize && down[code] != 0; }
    // A frame has read the table: every press has been seen, and the keys
    // whose key-up waited for that now read as up.
    void EndFrame() {
        for (int code = 0; code < kSize; ++code) {
            if (releaseWaits_[code] != 0)
                down[code] = 0;
        }
        std::memset(unseen_, 0, sizeof unseen_);
        std::memset(releaseWaits_, 0, sizeof releaseWaits_);
    }
    void ReleaseAll() {
        std::memset(down, 0, sizeof down);
        std::memset(unseen_, 0, sizeof unseen_);
        std::memset(releaseWaits_, 0, sizeof releaseWaits_);
    }

    uint8_t down[kSize] = {};  // 1 while the key counts as down

private:
    uint8_t unseen_[kSize] = {};        // pressed since the last frame read the table
    uint8_t releaseWaits_[kSize] = {};  // released, but up only after the next frame
};

}  // namespace wobble
