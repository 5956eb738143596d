#include "plot/PlotComp.h"

#include "document/DocStream.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "mathbox/PaintPort.h"
#include "platform/Exceptions.h"
#include "plot/GraphicsNodes.h"
#include "plot/PlotSize.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The mode word an empty function list hands its placeholder run.
constexpr int32_t kPlaceholderMode = 1;
constexpr int32_t kReturn = 13;
constexpr int32_t kLineFeed = 10;

const Str255 kOptionsLabel("Options...");
const Str255 kPlotLabel("Plot");

} // namespace

bool IsSoundRange(double min, double max) {
    return std::isfinite(min) && std::isfinite(max) && min < max && std::isfinite(max - min);
}

double TickStep(double min, double max, const std::array<double, 3>& factors) {
    if (!IsSoundRange(min, max)) return 0.0;
    const double r = max - min;
    const double s0 = std::pow(10.0, std::floor(std::log10(r)));
    double step = s0;
    for (double factor : factors) {
        if (r / step >= 5) break;
        step = s0 * factor;
    }
    return step;
}

PlotComp::PlotComp() {
    AddFunction(CompArray());
}

PlotComp::PlotComp(CompArray boxes) {
    AddFunction(std::move(boxes));
}

PlotComp::~PlotComp() = default;

void PlotComp::Adopt(CompList& list) {
    list.SetOwner(this, kPlaceholderMode);
    list.SetSizeLevel(GetSizeLevel());
}

void PlotComp::AddFunction(CompArray boxes) {
    auto list = std::make_unique<CompList>(std::move(boxes));
    Adopt(*list);
    m_functions.Add(std::move(list));
    InvalidateLayout();
}

void PlotComp::RemoveLastFunction() {
    // The first list stays: positions, hit tests and the caret all start from it.
    if (m_functions.GetCount() <= 1) return;
    m_functions.RemoveAt(m_functions.GetCount() - 1);
    InvalidateLayout();
}

CompList* PlotComp::GetList(int32_t n) const {
    return n >= 1 && n <= GetListCount() ? m_functions.GetAt(n - 1) : nullptr;
}

int32_t PlotComp::IndexOfList(const CompList* list) const {
    for (int32_t n = 1; n <= GetListCount(); ++n)
        if (GetList(n) == list) return n;
    return 0;
}

CompList* PlotComp::Previous(const CompList* from) const {
    const int32_t n = IndexOfList(from);
    return n > 1 ? GetList(n - 1) : nullptr;
}

CompList* PlotComp::Following(const CompList* from) const {
    const int32_t n = IndexOfList(from);
    return n == 0 ? GetList(1) : GetList(n + 1);
}

DocPos PlotComp::GetCaretAfterInsert() {
    DocPos pos;
    pos.SetAt(GetList(1), 1);
    return pos;
}

void PlotComp::ApplyStyle(int32_t face) {
    for (CompList* list : m_functions)
        list->ApplyStyle(face, 1, list->GetCount() + 1);
}

void PlotComp::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    for (CompList* list : m_functions)
        list->SetSizeLevel(level);
}

void PlotComp::InvalidateAll() {
    for (CompList* list : m_functions)
        list->InvalidateAll();
    DropPicture();
    m_needsLayout = true;
}

void PlotComp::SetXRange(const Str31& name, double min, double max) {
    m_xName = name;
    m_xMin = min;
    m_xMax = max;
    InvalidateLayout();
}

void PlotComp::SetYRange(const Str31& name, double min, double max) {
    m_yName = name;
    m_yMin = min;
    m_yMax = max;
    InvalidateLayout();
}

bool PlotComp::SetResult(NodePtr answer) {
    if (!answer) return false;
    NodePtr graphics;
    if (auto* request = dynamic_cast<Plot2DNode*>(answer.get()))
        graphics = request->TakeChild(Plot2DNode::kGraphics);
    else if (auto* request3 = dynamic_cast<Plot3DNode*>(answer.get()))
        graphics = request3->TakeChild(Plot3DNode::kGraphics);
    else
        graphics = std::move(answer);
    return graphics && SetGraphics(std::move(graphics));
}

// --- Layout and drawing ---

void PlotComp::Layout() {
    CurrentPlotSize() = PlotSize(false);
    UpdateSize();
    const int32_t marginX = PointsToPixelsX(20);
    const int32_t marginY = PointsToPixelsY(20);
    Rect bounds(0, -(m_height + marginY), m_width + marginX, 0);
    const auto widest =
        static_cast<int16_t>(std::clamp<int32_t>(m_width, 0, std::numeric_limits<int16_t>::max()));
    for (CompList* list : m_functions) {
        list->Layout(widest);
        bounds.bottom += marginY + list->GetBounds().Height();
    }
    m_bounds = bounds;
    m_needsLayout = false;
}

void PlotComp::SetOrigin(Point point) {
    m_origin = point;
    const int32_t available = m_bounds.Width() - PointsToPixelsX(20);
    const int32_t step = PointsToPixelsY(20);
    int32_t y = point.y + PointsToPixelsY(10);
    for (CompList* list : m_functions) {
        Rect b = list->GetBounds();
        if (b.Width() < available) {
            // Widened to the plot's width and centred in it, so a click anywhere in the row
            // reaches the list.
            b.left = (b.Width() - available) / 2;
            b.right = b.left + available;
            list->SetBounds(b);
        }
        list->SetOrigin(Point(point.x + PointsToPixelsX(10), y - b.top));
        y += step - b.top + b.bottom;
    }
}

Rect PlotComp::PictureRect() const {
    const int32_t left = m_origin.x + PointsToPixelsX(10);
    const int32_t bottom = m_origin.y - PointsToPixelsY(10);
    return Rect(left, bottom - m_height, left + m_width, bottom);
}

void PlotComp::Draw() {
    const Rect frame = GetFrame();
    if (m_active) {
        gDrawPort->DrawLabelAfter(Point(frame.left, frame.top), kOptionsLabel);
        gDrawPort->DrawLabelBefore(Point(frame.right, frame.top), kPlotLabel);
    }
    gDrawPort->DrawFrame(frame);
    {
        const int32_t face = gDrawPort->GetFace();
        gDrawPort->SetClipRect(PictureRect());
        DrawPicture(Point(PictureRect().left, PictureRect().top));
        gDrawPort->ClearClip();
        // Selecting the face again ends the label font the picture drew with.
        gDrawPort->SetFace(face);
    }
    int32_t y = m_origin.y;
    const int32_t step = PointsToPixelsY(20);
    for (CompList* list : m_functions) {
        gDrawPort->MoveTo(Point(frame.left, y));
        gDrawPort->LineBy(frame.Width() - 1, 0);
        list->Draw();
        y += step - list->GetBounds().top + list->GetBounds().bottom;
    }
}

DocPos PlotComp::PosFromPoint(Point point, bool rightHalf) {
    for (CompList* list : m_functions)
        if (list->ContainsPoint(point)) return list->PosFromPoint(point, rightHalf);
    DocPos pos;
    pos.SetAt(GetList(1), 1);
    return pos;
}

TextComp* PlotComp::FindAt(Point point) {
    // A function row's answer stands, also none beside its text: a click there puts the caret
    // in the row instead of taking the plot whole.
    for (CompList* list : m_functions)
        if (list->ContainsPoint(point)) return list->FindAt(point);
    return this;
}

bool PlotComp::InPicture(Point point) const {
    return PictureRect().PtInRect(point);
}

bool PlotComp::IsEqual(const TextComp& other) const {
    if (!(GetTypeTag() == other.GetTypeTag()) || GetListCount() != other.GetListCount())
        return false;
    for (int32_t n = 1; n <= GetListCount(); ++n) {
        const CompList* theirs = other.GetList(n);
        if (theirs == nullptr || !GetList(n)->IsEqual(*theirs)) return false;
    }
    return true;
}

int32_t PlotComp::HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) {
    const int32_t code = key & 0xFF;
    if ((code == kReturn || code == kLineFeed) && flag2 != 0) return kNewFunctionCommand;
    return MathComp::HandleKey(pos, key, flag1, flag2);
}

// --- Buttons ---

void PlotComp::ShowButtons() {
    m_active = true;
    gDrawPort->InvalidateDocRect(GetFrame());
}

void PlotComp::HideButtons() {
    m_active = false;
    gDrawPort->InvalidateDocRect(GetFrame());
}

bool PlotComp::HitOptions(Point point) const {
    const Rect frame = GetFrame();
    return m_active &&
           gDrawPort->LabelRectAfter(Point(frame.left, frame.top), kOptionsLabel).PtInRect(point);
}

bool PlotComp::HitPlot(Point point) const {
    const Rect frame = GetFrame();
    return m_active &&
           gDrawPort->LabelRectBefore(Point(frame.right, frame.top), kPlotLabel).PtInRect(point);
}

// --- Picture and output ---

std::optional<PictureBytes> PlotComp::RenderPicture() {
    EnsurePrimitives();
    UpdateSize();
    auto* port = dynamic_cast<PaintPort*>(gDrawPort.Get());
    if (port == nullptr || port->IsRecording()) return std::nullopt;
    port->BeginMetafile(nullptr, Rect(0, 0, m_width, m_height));
    struct End {
        PaintPort& port;
        bool done = false;
        ~End() {
            if (!done) port.EndMetafile();
        }
    } end{*port};
    const int32_t face = port->GetFace();
    DrawPicture(Point());
    port->SetFace(face);
    end.done = true;
    return port->EndMetafile();
}

std::optional<PictureBytes> PlotComp::CopyPicture(bool wanted) {
    if (!wanted) return std::nullopt;
    if (!m_picture) m_picture = RenderPicture();
    return m_picture;
}

void PlotComp::WriteText(OutBuffer& out) {
    out.PutString("Picture");
}

void PlotComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\fbox{$\\begin{array}{c}");
    const int32_t width = m_width;
    const int32_t height = m_height;
    {
        // LaTeX pictures take the smallest row; the page's row comes back afterwards, so the
        // next layout and recording are not left at this one.
        PlotSizeScope fixed(true);
        const std::optional<PictureBytes> picture = RenderPicture();
        const int32_t d = static_cast<int32_t>(int64_t{m_width} * gDrawPort->GetResolutionX() / 72);
        const int32_t e =
            static_cast<int32_t>(int64_t{m_height} * gDrawPort->GetResolutionY() / 72);
        const int32_t widthPoints =
            d != 0 ? static_cast<int32_t>(int64_t{m_width} * m_width / d) : 0;
        const int32_t heightPoints =
            e != 0 ? static_cast<int32_t>(int64_t{m_height} * m_height / e) : 0;
        writer.WriteImage(widthPoints, heightPoints, picture ? &*picture : nullptr);
    }
    for (CompList* list : m_functions) {
        writer.WriteRaw("\\\\ ");
        list->WriteLatex(writer, false, false);
    }
    writer.WriteRaw("\\end{array}$} ");
    m_width = width;
    m_height = height;
}

std::optional<PlotShape::ExportPicture> PlotComp::GetExportPicture() {
    std::optional<PictureBytes> picture = RenderPicture();
    if (!picture) return std::nullopt;
    // Rendering brought the size up to date.
    return ExportPicture{std::move(*picture), m_width, m_height};
}

// --- Records ---

void PlotComp::CopyListsAndRanges(const PlotComp& source) {
    m_functions.GetAt(0)->InsertArrayAt(source.GetList(1)->CopyChildren(), 1);
    for (int32_t n = 2; n <= source.GetListCount(); ++n)
        AddFunction(source.GetList(n)->CopyChildren());
    SetXRange(source.m_xName, source.m_xMin, source.m_xMax);
    SetYRange(source.m_yName, source.m_yMin, source.m_yMax);
}

void PlotComp::WriteRanges(DocStream& stream) const {
    stream.WriteDouble(m_xMax);
    stream.WriteDouble(m_xMin);
    stream.WriteStr255(Str255(m_xName), true);
    stream.WriteDouble(m_yMax);
    stream.WriteDouble(m_yMin);
    stream.WriteStr255(Str255(m_yName), true);
}

void PlotComp::ReadRanges(DocStream& stream) {
    Str255 name;
    m_xMax = stream.ReadDouble();
    m_xMin = stream.ReadDouble();
    stream.ReadStr255(name, true);
    m_xName = Str31(name);
    m_yMax = stream.ReadDouble();
    m_yMin = stream.ReadDouble();
    stream.ReadStr255(name, true);
    m_yName = Str31(name);
}

void PlotComp::WriteFunctions(DocStream& stream) const {
    if (GetListCount() > std::numeric_limits<int16_t>::max())
        throw platform::FileException(platform::FileException::Cause::TooLarge, -1,
                                      "a plot holds more function lists than a document can store");
    stream.WriteShort(static_cast<int16_t>(GetListCount()));
    for (const CompList* list : m_functions)
        list->Write(stream);
}

void PlotComp::ReadFunctions(DocStream& stream) {
    const int32_t count = stream.ReadShort();
    if (count <= 0) return;
    // Every list's chunk takes at least its count.
    stream.RequireBytes(int64_t{count} * 4);
    GetList(1)->Read(stream);
    for (int32_t n = 2; n <= count; ++n) {
        auto list = std::make_unique<CompList>();
        Adopt(*list);
        list->Read(stream);
        m_functions.Add(std::move(list));
    }
}
