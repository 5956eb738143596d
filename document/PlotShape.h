#pragma once

// What the actions ask of a plot component: a new expression list at the end of its lists, and
// taking the last one away again (the insert-expression action); taking the kernel's answer for
// the plot, and trading computed graphics with a copy (the calculations and their undo); its
// picture for the page exports and for Copy as Metafile. The plot
// components implement it next to the component contract; the model reaches them only through
// here.

#include "document/DrawPort.h"
#include "document/OwningArray.h"
#include "document/TextComp.h"

#include <cstdint>
#include <memory>
#include <optional>

class PlotShape {
public:
    virtual ~PlotShape() = default;
    // Appends a list holding `contents` (empty for none), owned by the plot; it becomes the
    // plot's last list (`GetList(GetListCount())`).
    virtual void AppendExpressionList(CompArray contents) = 0;
    // Removes the last expression list, when the plot has one.
    virtual void RemoveLastExpressionList() = 0;
    // Takes the kernel's answer for the plot: a plot request answered with its graphics, or
    // the graphics alone. False when the answer holds no graphics for this plot (a failure
    // symbol, an error): the plot then keeps what it showed. Answers false by default.
    virtual bool SetResult(std::unique_ptr<ExprNode> /*answer*/) { return false; }
    // Exchanges the computed graphics with `other`, a plot of the same kind (a copy the caller
    // holds), so that undo and redo move them back and forth. Nothing by default.
    virtual void SwapGraphics(TextComp& /*other*/) {}

    // The picture area for the page exports: a recording of it and its size in pixels.
    struct ExportPicture {
        PictureBytes picture;
        int32_t width = 0;
        int32_t height = 0;
    };
    // Nothing when the drawing layer cannot record, and by default.
    virtual std::optional<ExportPicture> GetExportPicture() { return std::nullopt; }
    // The plot's own picture for Copy as Metafile when `wanted` is set: the picture area alone,
    // without the frame and the function rows. Nothing when the drawing layer cannot record,
    // and by default.
    virtual std::optional<PictureBytes> CopyPicture(bool /*wanted*/) { return std::nullopt; }
};

// The plot shape of a component, or null when it is no plot.
inline PlotShape* AsPlot(const TextComp* comp) {
    return comp != nullptr && comp->IsPlot() ? dynamic_cast<PlotShape*>(const_cast<TextComp*>(comp))
                                             : nullptr;
}
