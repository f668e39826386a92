#pragma once
// The one translation from SDL's keys to the virtual-key codes the key table
// is indexed by.

#include <SDL2/SDL.h>

namespace wobble {

// The virtual-key code of an SDL key, or -1 for a key with no code below 256
// (such a key is dropped). Keypad digits give their own codes only with Num
// Lock on; without it they are the arrow and navigation keys they double as.
int VirtualKeyFromSdl(const SDL_Keysym& key);

}  // namespace wobble
