#include "mathbox/UprightNames.h"

ServiceSlot<UprightNameTest> gUprightNames;

bool IsUprightName(std::string_view name) {
    UprightNameTest* test = gUprightNames.Get();
    return test != nullptr && test(name);
}
