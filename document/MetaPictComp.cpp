#include "document/MetaPictComp.h"

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/LatexWriter.h"
#include "document/ListParser.h"
#include "document/OutBuffer.h"
#include "platform/Exceptions.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string_view>

namespace {

OwnedComponent NewPicture() {
    return OwnedComponent(new MetaPictComp);
}

// Installed for the life of the process, as character blocks are.
const Installed<TextComp::Creator> kPictureKind(TextComp::KindSlot(tags::Metafile), &NewPicture);

constexpr double kHimetricPerInch = 2540.0;

// Only the root element's start tag is looked at.
std::string_view RootTag(const PictureBytes& picture) {
    const std::string_view text(reinterpret_cast<const char*>(picture.data()), picture.size());
    const size_t open = text.find("<svg");
    if (open == std::string_view::npos) return {};
    const size_t close = text.find('>', open);
    return text.substr(open,
                       close == std::string_view::npos ? std::string_view::npos : close - open);
}

// The value of attribute `name` in a start tag, without its quotes.
std::optional<std::string_view> Attribute(std::string_view tag, std::string_view name) {
    for (size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
        const bool wordStart = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\n' ||
                                          tag[at - 1] == '\t' || tag[at - 1] == '\r');
        size_t p = at + name.size();
        while (p < tag.size() && tag[p] == ' ')
            ++p;
        if (!wordStart || p >= tag.size() || tag[p] != '=') continue;
        ++p;
        while (p < tag.size() && tag[p] == ' ')
            ++p;
        if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) return std::nullopt;
        const size_t end = tag.find(tag[p], p + 1);
        if (end == std::string_view::npos) return std::nullopt;
        return tag.substr(p + 1, end - p - 1);
    }
    return std::nullopt;
}

// A number at the start of `text`, read the same in every locale; `text` is left after it.
std::optional<double> Number(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == ','))
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

// A length with its unit in 0.01 mm; nothing for a percentage or an unknown unit.
std::optional<double> Length(std::string_view text) {
    const std::optional<double> value = Number(text);
    if (!value) return std::nullopt;
    struct Unit {
        std::string_view name;
        double perUnit;
    };
    static constexpr Unit kUnits[] = {
        {"mm", 100.0},
        {"cm", 1000.0},
        {"in", kHimetricPerInch},
        {"pt", kHimetricPerInch / 72},
        {"pc", kHimetricPerInch / 6},
        {"px", kHimetricPerInch / 96},
        {"", kHimetricPerInch / 96},
    };
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    for (const Unit& unit : kUnits)
        if (text == unit.name) return *value * unit.perUnit;
    return std::nullopt;
}

} // namespace

std::optional<PictureFrame> SvgFrame(const PictureBytes& picture) {
    const std::string_view tag = RootTag(picture);
    if (tag.empty()) return std::nullopt;
    const auto width = Attribute(tag, "width");
    const auto height = Attribute(tag, "height");
    std::optional<double> w = width ? Length(*width) : std::nullopt;
    std::optional<double> h = height ? Length(*height) : std::nullopt;
    if (w && h) return CappedPictureFrame(*w, *h);
    if (auto box = Attribute(tag, "viewBox")) {
        std::string_view rest = *box;
        const auto x = Number(rest);
        const auto y = Number(rest);
        const auto bw = Number(rest);
        const auto bh = Number(rest);
        if (x && y && bw && bh)
            return CappedPictureFrame(*bw * kHimetricPerInch / 96, *bh * kHimetricPerInch / 96);
    }
    return std::nullopt;
}

MetaPictComp::MetaPictComp(PictureBytes picture)
    : m_picture(std::move(picture)), m_frame(SvgFrame(m_picture).value_or(PictureFrame{})) {}

OwnedComponent MetaPictComp::Clone() const {
    return OwnedComponent(new MetaPictComp(m_picture, m_frame));
}

PictureFrame MetaPictComp::GetRenderedSize() const {
    return CappedPictureFrame(m_frame.width, m_frame.height);
}

void MetaPictComp::Layout() {
    const PictureFrame frame = GetRenderedSize();
    m_bounds = Rect(0, -gDrawPort->HimetricToPixelsY(frame.height),
                    gDrawPort->HimetricToPixelsX(frame.width), 0);
    m_needsLayout = false;
}

void MetaPictComp::Draw() {
    gDrawPort->PlayMetafile(m_picture, GetFrame());
}

ExprNode* MetaPictComp::ToExpression() {
    if (m_parent == nullptr || gListParser.Get() == nullptr) return nullptr;
    const int32_t index = m_parent->IndexOf(this);
    return gListParser->NamedSymbol(*m_parent, index, index + 1, "picture");
}

void MetaPictComp::WriteLatex(LatexWriter& writer) {
    // Points from 0.01 mm, truncated toward zero.
    const auto points = [](int32_t himetric) {
        return static_cast<int32_t>(int64_t{himetric} * 72 / 2540);
    };
    const PictureFrame frame = GetRenderedSize();
    writer.WriteRaw("\\fbox{$");
    writer.WriteImage(points(frame.width), points(frame.height), &m_picture);
    writer.WriteRaw("$} ");
}

void MetaPictComp::WriteText(OutBuffer& out) {
    out.PutString("picture");
}

void MetaPictComp::Write(DocStream& stream) const {
    if (m_picture.size() > size_t{INT32_MAX} - 12)
        throw platform::FileException(platform::FileException::Cause::TooLarge, -1,
                                      "a picture too large to store");
    stream.WriteLong(m_frame.width);
    stream.WriteLong(m_frame.height);
    stream.WriteLong(static_cast<int32_t>(m_picture.size()));
    // An empty picture has no bytes to point at.
    if (!m_picture.empty())
        stream.WriteBytes(m_picture.data(), static_cast<int32_t>(m_picture.size()));
}

void MetaPictComp::Read(DocStream& stream) {
    m_frame.width = stream.ReadLong();
    m_frame.height = stream.ReadLong();
    const int32_t count = stream.ReadLong();
    // A negative count is damage too.
    stream.RequireBytes(count);
    PictureBytes bytes(static_cast<size_t>(count));
    if (count > 0) stream.ReadBytes(bytes.data(), count);
    m_picture = std::move(bytes);
    m_needsLayout = true;
}
