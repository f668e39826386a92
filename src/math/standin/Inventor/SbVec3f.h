#pragma once
// Coin's SbVec3f where Coin is not there: see ../CoinVectors.h.

#include "../CoinVectors.h"

using SbVec3f = wobble::coin_standin::SbVec3f;
