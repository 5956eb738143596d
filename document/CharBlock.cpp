#include "document/CharBlock.h"

#include "document/DocStream.h"
#include "document/GlyphSource.h"

namespace {

constexpr int32_t kFaceCount = 8;

OwnedComponent NewCharBlock() {
    return OwnedComponent(new CharBlock);
}

// Installed for the life of the process, as the other subsystems install their kinds for the
// life of the program's start-up.
const Installed<TextComp::Creator> kCharBlockKind(TextComp::KindSlot(tags::CharBlock),
                                                  &NewCharBlock);

} // namespace

void CharBlock::Write(DocStream& stream) const {
    stream.WriteShort(static_cast<int16_t>(m_face));
    stream.WriteStr255(m_text, m_face == kMathFace);
}

void CharBlock::Read(DocStream& stream) {
    const int32_t face = stream.ReadShort();
    if (face < 0 || face >= kFaceCount) stream.Fail();
    m_face = face;
    stream.ReadStr255(m_text, m_face == kMathFace);
}

bool CharBlock::CanTake(const TextComp& comp) const {
    return !comp.IsNotChar() && comp.GetStyleId() == m_face && GetCount() < kMaxChars;
}

void CharBlock::InitFrom(const TextComp& comp) {
    Start(comp.GetStyleId(), comp.GetCharCode());
}

TextComp* CharBlock::MakeChar(int32_t i) const {
    return gGlyphSource->GetGlyph(m_face, m_text.GetAt(i));
}

void CharBlock::AppendPacked(std::vector<uint16_t>& items) const {
    const auto face = static_cast<uint16_t>(m_face << 8);
    for (int32_t i = 0; i < GetCount(); ++i)
        items.push_back(face | static_cast<uint8_t>(m_text.GetAt(i)));
}
