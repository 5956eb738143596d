#pragma once

// A picture: an atomic component holding recorded picture bytes (an SVG document for every
// picture this program records or pastes; bytes of any other format, from older documents, are
// kept as they are and shown as an empty frame). It stands on the baseline at its natural size,
// is stored as its bytes, and is exported as a framed picture.
//
// The size is the picture's frame in 0.01 mm, taken from the picture when it is made and stored
// beside the bytes.

#include "document/DrawPort.h"
#include "document/MathComp.h"
#include "document/PictureSize.h"

#include <optional>

// The frame an SVG document declares: its root's width and height with their units (a bare
// number or "px" counts 96 to the inch), else its view box in pixels, held within the largest
// frame; nothing for bytes that are no SVG or declare no size.
std::optional<PictureFrame> SvgFrame(const PictureBytes& picture);

class MetaPictComp final : public MathComp {
public:
    // No picture, no size: what the stream reader fills.
    MetaPictComp() = default;
    // A copy of the picture, sized by its own frame (`SvgFrame`; 0 by 0 when it declares none).
    explicit MetaPictComp(PictureBytes picture);
    MetaPictComp(PictureBytes picture, PictureFrame frame)
        : m_picture(std::move(picture)), m_frame(frame) {}

    OwnedComponent Clone() const override;
    // On the baseline: the rendered size converted to pixels of the current target.
    void Layout() override;
    void Draw() override;
    TypeTag GetTypeTag() const override { return tags::Metafile; }
    // A picture is never equal to another component.
    bool IsEqual(const TextComp&) const override { return false; }
    // The symbol "picture", standing for the picture's place in its list.
    ExprNode* ToExpression() override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    void Write(DocStream& stream) const override;
    // Fails the load for a negative byte count or one larger than what is left of the record.
    void Read(DocStream& stream) override;

    const PictureBytes& GetPicture() const { return m_picture; }
    // The frame as stored, kept as the file had it.
    PictureFrame GetSize() const { return m_frame; }
    // The frame the picture is laid out, drawn and exported at: the stored one held within the
    // largest frame, in proportion.
    PictureFrame GetRenderedSize() const;

private:
    PictureBytes m_picture;
    PictureFrame m_frame;
};
