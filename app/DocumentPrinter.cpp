#include "app/DocumentPrinter.h"

#include "app/TessaryView.h"
#include "document/CompSequence.h"
#include "document/DocSettings.h"
#include "document/DrawPort.h"
#include "document/TessaryDoc.h"
#include "mathbox/PaintPort.h"
#include "mathbox/StyleManager.h"

#include <QPrinter>

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace {

// The page number's face and size: the plain text face at 10 points.
constexpr int32_t kNumberFace = 0;
constexpr int32_t kNumberSizeIndex = 7;

// One drawing level on the printer for the length of a scope.
class PrinterLevel {
public:
    PrinterLevel(PaintPort& port, BaseView& view, QPrinter& printer) : m_port(port) {
        m_port.BeginDCDraw(&view, printer);
    }
    ~PrinterLevel() { m_port.EndDraw(); }
    PrinterLevel(const PrinterLevel&) = delete;
    PrinterLevel& operator=(const PrinterLevel&) = delete;

private:
    PaintPort& m_port;
};

void DrawPageNumber(PaintPort& port, const DocSettings& settings, int32_t page,
                    const QPrinter& printer) {
    Str255 text;
    text.AppendNumber(settings.firstPage + page - 1);
    port.SetFace(kNumberFace);
    SizeGuard size(static_cast<int8_t>(kNumberSizeIndex - port.GetBaseSize()));
    port.SelectCurrentFont();
    const int32_t width = port.MeasureText(text).Width();
    port.SetOrigin(Point());
    port.MoveTo(Point((printer.width() - width) / 2, printer.height() - port.GetPrintMargin()));
    port.DrawString(text);
}

} // namespace

void PrintLayout::SetPageBreak(int32_t page, int32_t bottom) {
    if (page < 1) return;
    if (static_cast<size_t>(page) > m_breaks.size()) m_breaks.resize(page, bottom);
    m_breaks[page - 1] = bottom;
}

Rect PrintLayout::GetPageBand(int32_t page) const {
    if (page < 1 || page > GetPageCount()) return Rect();
    const int32_t top = page == 1 ? 0 : m_breaks[page - 2];
    return Rect(0, top, m_page.Width(), m_breaks[page - 1]);
}

int32_t PrintDocumentView(TessaryView& view, QPrinter& printer) {
    auto* port = dynamic_cast<PaintPort*>(gDrawPort.Get());
    CompSequence* page = view.Page();
    if (port == nullptr || page == nullptr) return 0;
    const DocSettings& settings = view.Document().GetSettings();
    if (StyleManager* styles = gStyleManager.Get()) styles->ReleaseFonts();
    int32_t printed = 0;
    try {
        // Holds the job's painter open from the first page to the last.
        PrinterLevel job(*port, view, printer);
        // Pages drawn on nothing are no print: the caller reports it.
        if (!port->IsBound()) throw std::runtime_error("the printer cannot be drawn on");
        const int32_t margin = port->GetPrintMargin();
        PrintLayout layout(Rect(margin, margin, margin + port->GetColumnWidth(),
                                margin + port->GetPrintableHeight()));
        {
            PrinterLevel pagination(*port, view, printer);
            page->Paginate(layout);
        }
        // The pages the print dialog chose; none chosen means all of them.
        const int32_t first = printer.fromPage() > 0 ? printer.fromPage() : 1;
        const int32_t last = printer.toPage() > 0
                                 ? std::min<int32_t>(printer.toPage(), layout.GetPageCount())
                                 : layout.GetPageCount();
        for (int32_t p = first; p <= last; ++p) {
            if (p > first && !printer.newPage()) break;
            PrinterLevel level(*port, view, printer);
            if (settings.numberPages != 0) DrawPageNumber(*port, settings, p, printer);
            const Rect band = layout.GetPageBand(p);
            const Rect& paper = layout.GetPageRect();
            port->SetFace(0);
            port->SelectCurrentFont();
            port->SetOrigin(Point(-paper.left, band.top - paper.top));
            // The band is in document coordinates, as the drawing it clips.
            port->SetClipRect(band);
            page->DrawInRect(band);
            port->ClearClip();
            ++printed;
        }
    } catch (const std::exception&) {
        printed = 0;
    }
    if (StyleManager* styles = gStyleManager.Get()) styles->ReleaseFonts();
    view.Relayout();
    return printed;
}
