#pragma once
// Coin's SbVec4f where Coin is not there: see ../CoinVectors.h.

#include "../CoinVectors.h"

using SbVec4f = wobble::coin_standin::SbVec4f;
