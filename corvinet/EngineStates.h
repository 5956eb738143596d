#pragma once

// The hooks through which the link object hands a link to the token engines (put and get
// state, text encoder and decoder). The engines own those states; the link only holds them.

#include "corvinet/corvinet.h"

namespace corvinet {
class PutState;
class GetState;

// At establish, once the features are known: makes the link's put and get state. 0, or
// QKERR_OUT_OF_MEMORY.
int32_t attachEngines(QKLINK link, const LinkFeatures& features);
// For a duplicate: shares the original's put state and copies its get state. 0, or
// QKERR_OUT_OF_MEMORY.
int32_t shareEngines(QKLINK copy, QKLINK original);
// At destroy: releases what attachEngines or shareEngines made (the shared put state with its
// last user). Harmless on a link that never got either.
void releaseEngines(QKLINK link);
} // namespace corvinet
