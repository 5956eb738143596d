#pragma once

// What the insert-expression action asks of a plot component: a new expression list at the end
// of its lists, and taking the last one away again. The plot components implement it next to
// the component contract; the model reaches them only through here.

#include "document/OwningArray.h"
#include "document/TextComp.h"

class PlotShape {
public:
    virtual ~PlotShape() = default;
    // Appends a list holding `contents` (empty for none), owned by the plot; it becomes the
    // plot's last list (`GetList(GetListCount())`).
    virtual void AppendExpressionList(CompArray contents) = 0;
    // Removes the last expression list, when the plot has one.
    virtual void RemoveLastExpressionList() = 0;
};

// The plot shape of a component, or null when it is no plot.
inline PlotShape* AsPlot(const TextComp* comp) {
    return comp != nullptr && comp->IsPlot() ? dynamic_cast<PlotShape*>(const_cast<TextComp*>(comp))
                                             : nullptr;
}
