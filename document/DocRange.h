#pragma once

// A selection: two positions in one container. So far only what component lists build.

#include "document/DocPos.h"

class DocRange {
public:
    // The kind-1 range (list, from) to (list, to).
    void Set(CompList* list, int32_t from, int32_t to) {
        start.SetAt(list, from);
        end.SetAt(list, to);
    }

    DocPos start;
    DocPos end;
};
