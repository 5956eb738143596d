#pragma once

// Where pagination reports the page breaks of a print job: the view's print layout implements
// it. Breaks arrive in page order, each once.

#include <cstdint>

class PageBreakSink {
public:
    virtual ~PageBreakSink() = default;
    // Page `page` (from 1) ends just above document y `bottom`.
    virtual void SetPageBreak(int32_t page, int32_t bottom) = 0;
};
