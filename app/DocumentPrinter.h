#pragma once

// Printing a document view: the page bands of one print job, and the job itself. Pagination
// and every page each run in a drawing level of their own on the printer, nested in one level
// that holds the job's painter open, so the drawing layer is back where it was when the job
// ends, however it ends.

#include "document/PageBreakSink.h"
#include "document/Rect.h"

#include <cstdint>
#include <vector>

class TessaryView;
class QPrinter;

// The page breaks of one print job. Page p shows the document from the break of page p - 1
// (0 for the first page) down to the break of page p.
class PrintLayout final : public PageBreakSink {
public:
    // `page` is the printable rectangle on paper, in device pixels.
    explicit PrintLayout(const Rect& page) : m_page(page) {}

    void SetPageBreak(int32_t page, int32_t bottom) override;
    // The band of a page (from 1) in document coordinates, as wide as the printable rectangle.
    Rect GetPageBand(int32_t page) const;
    int32_t GetPageCount() const { return static_cast<int32_t>(m_breaks.size()); }
    const Rect& GetPageRect() const { return m_page; }

private:
    Rect m_page;
    std::vector<int32_t> m_breaks; // index p - 1 holds the break of page p
};

// Prints the view's document on `printer` (the pages the printer's range names, or all),
// numbered when the document's settings say so, and lays the view out for the screen again. Returns
// the number of pages printed, or 0 when the job failed.
int32_t PrintDocumentView(TessaryView& view, QPrinter& printer);
