#pragma once

// What the 2-D and 3-D plots share. On the page a plot is a framed box: the computed picture at
// the top, below it one function list per plotted function (the editable math, one `CompList`
// each). While the plot holds the caret, "Options..." (top left) and "Plot" (top right) are
// drawn on the frame as buttons. The plot owns its function lists, the names and ranges of two
// axes, the picture recorded for copying and export, and its size.
//
// A plot always has at least one function list: a new plot starts with one empty list, and the
// last one is never removed. Lists are numbered from 1 and the plot is their owner.
//
// Lengths are points turned into pixels of the drawing port, truncated.

#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/MathComp.h"
#include "document/OwningArray.h"
#include "document/PlotShape.h"
#include "document/Str255.h"
#include "expr/ExprNode.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

// Whether a range can be divided: both ends and its length finite, the start below the end.
bool IsSoundRange(double min, double max);
// The tick step of a sound range: the power of ten at or below its length, then each of
// `factors` of that power in turn until the range holds at least five steps. 0 for a range
// that is not sound.
double TickStep(double min, double max, const std::array<double, 3>& factors);

class PlotComp : public MathComp, public PlotShape {
public:
    static constexpr double kDefaultMin = -1.0;
    static constexpr double kDefaultMax = 1.0;
    // The command a Return in a function list asks for: a new function list.
    static constexpr int32_t kNewFunctionCommand = 1007;

    ~PlotComp() override;

    // --- The component contract ---
    bool IsPlot() const override { return true; }
    void InvalidateAll() override;
    void Layout() override;
    void SetOrigin(Point point) override;
    void Draw() override;
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    TextComp* FindAt(Point point) override;
    bool IsEqual(const TextComp& other) const override;
    CompList* GetList(int32_t n) const override;
    int32_t GetListCount() const override { return m_functions.GetCount(); }
    CompList* ListLeftOf(const CompList* from) const override { return Previous(from); }
    CompList* ListBelow(const CompList* from) const override { return Previous(from); }
    CompList* ListRightOf(const CompList* from) const override { return Following(from); }
    CompList* ListAbove(const CompList* from) const override { return Following(from); }
    int32_t IndexOfList(const CompList* list) const override;
    DocPos GetCaretAfterInsert() override;
    void ApplyStyle(int32_t face) override;
    void SetSizeLevel(uint8_t level) override;
    int32_t HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;

    // --- PlotShape ---
    void AppendExpressionList(CompArray contents) override { AddFunction(std::move(contents)); }
    void RemoveLastExpressionList() override { RemoveLastFunction(); }
    bool SetResult(NodePtr answer) override;
    std::optional<ExportPicture> GetExportPicture() override;

    // --- Function lists ---
    void AddFunction(CompArray boxes);
    // Removes the last list, unless it is the only one.
    void RemoveLastFunction();

    // --- Ranges and graphics ---
    // Takes the computed graphics, which the plot owns from then on. False (the plot keeps
    // what it showed) when the node is no graphics of this plot's kind.
    virtual bool SetGraphics(NodePtr graphics) = 0;
    virtual void SetXRange(const Str31& name, double min, double max);
    virtual void SetYRange(const Str31& name, double min, double max);
    virtual void SetZRange(const Str31&, double, double) {}
    // Shows the plot's parameter dialog over `parent`; true when the user confirmed.
    virtual bool EditOptions(QWidget* parent) = 0;
    // A recording of the picture area (0, 0, width, height) at the current size; nothing
    // without a drawing layer that records. The plot's primitives are made first either way.
    std::optional<PictureBytes> RenderPicture();
    // True when the point lies in the picture area.
    virtual bool InPicture(Point point) const;
    // Width and height from the current plot size.
    virtual void UpdateSize() = 0;

    // --- Buttons ---
    void ShowButtons();
    void HideButtons();
    bool IsActive() const { return m_active; }
    bool HitOptions(Point point) const;
    bool HitPlot(Point point) const;
    bool HitButtons(Point point) const { return HitPlot(point) || HitOptions(point); }

    // --- Picture ---
    // A copy of the recorded picture when `wanted` is set (recorded now when there is none).
    std::optional<PictureBytes> CopyPicture(bool wanted) override;
    // The picture area in document coordinates.
    Rect PictureRect() const;

    const Str31& XName() const { return m_xName; }
    const Str31& YName() const { return m_yName; }
    double XMin() const { return m_xMin; }
    double XMax() const { return m_xMax; }
    double YMin() const { return m_yMin; }
    double YMax() const { return m_yMax; }
    int32_t PictureWidth() const { return m_width; }
    int32_t PictureHeight() const { return m_height; }

protected:
    // One empty function list.
    PlotComp();
    // The first function list over `boxes`.
    explicit PlotComp(CompArray boxes);

    // Draws the computed plot into the picture area whose top-left corner is `topLeft`
    // (document coordinates), through the installed drawing port.
    virtual void DrawPicture(Point topLeft) = 0;
    // Makes the primitives of the plot's ranges (its axes or box) when it has none yet.
    virtual void EnsurePrimitives() = 0;
    // Forgets the recorded picture.
    void DropPicture() { m_picture.reset(); }
    // Copies the function lists and ranges of `source` (a clone's first step).
    void CopyListsAndRanges(const PlotComp& source);
    // Writes and reads the ranges' record: x max, x min, x name, y max, y min, y name.
    void WriteRanges(DocStream& stream) const;
    void ReadRanges(DocStream& stream);
    // The function-list record: a short count, then each list's chunk.
    void WriteFunctions(DocStream& stream) const;
    void ReadFunctions(DocStream& stream);

    Str31 m_xName{"x"};
    Str31 m_yName{"y"};
    double m_xMin = kDefaultMin;
    double m_xMax = kDefaultMax;
    double m_yMin = kDefaultMin;
    double m_yMax = kDefaultMax;
    int32_t m_width = 0;
    int32_t m_height = 0;

private:
    CompList* Previous(const CompList* from) const;
    CompList* Following(const CompList* from) const;
    void Adopt(CompList& list);

    OwningArray<CompList> m_functions;
    std::optional<PictureBytes> m_picture;
    bool m_active = false;
};
