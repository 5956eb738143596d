// The token engines' side of a link's life: their states are made at establish, shared or
// copied for duplicates, and freed at destroy.

#include "EngineStates.h"

#include "ArrayState.h"
#include "GetState.h"
#include "Link.h"
#include "PutState.h"

#include <new>

namespace corvinet {

int32_t attachEngines(QKLINK link, const LinkFeatures& features) {
    const AllocatorPair& memory = link->linkEnv->memory;
    releaseEngines(link);
    link->put = memory.make<PutState>(memory, features);
    link->get = memory.make<GetState>(memory, features.converter);
    if (!link->put || !link->get) {
        releaseEngines(link);
        return QKERR_OUT_OF_MEMORY;
    }
    return 0;
}

int32_t shareEngines(QKLINK copy, QKLINK original) {
    const AllocatorPair& memory = copy->linkEnv->memory;
    releaseEngines(copy);
    if (!original->put || !original->get) return 0;
    try {
        copy->get = memory.make<GetState>(*original->get);
    } catch (const std::bad_alloc&) {
        copy->get = nullptr;
    }
    if (!copy->get) return QKERR_OUT_OF_MEMORY;
    copy->put = original->put;
    ++copy->put->refs;
    return 0;
}

void releaseEngines(QKLINK link) {
    const AllocatorPair& memory = link->linkEnv->memory;
    releaseArrayState(link, &QKLinkRecord::getArray);
    releaseArrayState(link, &QKLinkRecord::putArray);
    if (link->put && --link->put->refs == 0) memory.destroy(link->put);
    link->put = nullptr;
    memory.destroy(link->get);
    link->get = nullptr;
}

} // namespace corvinet
