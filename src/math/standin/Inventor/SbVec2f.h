#pragma once
// Coin's SbVec2f where Coin is not there: see ../CoinVectors.h.

#include "../CoinVectors.h"

using SbVec2f = wobble::coin_standin::SbVec2f;
