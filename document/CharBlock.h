#pragma once

// The stored form of a run of characters of one face ("chBk"). In memory a list holds each
// character as its shared glyph, or packed as its face and code until it is asked for them; the
// document stream packs consecutive characters of one face into blocks of at most 255 while a
// list is written, and the list reader takes each block's characters and destroys it. Blocks
// never live in a document. The kind installs its own
// constructor in the component factory when the program starts: no document can be read
// without it, and this library is linked wherever the stream is.

#include "document/Str255.h"
#include "document/TextComp.h"

#include <vector>

class CharBlock : public TextComp {
public:
    static constexpr int32_t kMaxChars = 255;

    CharBlock() = default;

    // Blocks are never copied with content: a clone is a fresh, empty block.
    OwnedComponent Clone() const override { return OwnedComponent(new CharBlock); }
    TypeTag GetTypeTag() const override { return tags::CharBlock; }
    bool IsCharBlock() const override { return true; }
    void Write(DocStream& stream) const override;
    // A face number outside 0 to 7 is a damaged record.
    void Read(DocStream& stream) override;

    // True for a character of the block's face while the block holds fewer than 255.
    bool CanTake(const TextComp& comp) const;
    // Dropped when the block is full.
    void AppendChar(uint8_t code) { m_text.AppendChar(static_cast<char>(code)); }
    // Restarts the block with one character component.
    void InitFrom(const TextComp& comp);
    // A block of one character of the face.
    void Start(int32_t face, uint8_t code) {
        m_face = face;
        m_text = Str255();
        m_text.AppendChar(static_cast<char>(code));
    }
    int32_t GetCount() const { return m_text.GetLength(); }
    int32_t GetFace() const { return m_face; }
    // The shared glyph for the character at 0-based position i.
    TextComp* MakeChar(int32_t i) const;
    // The characters as a packed list keeps them, face in the high byte and code in the low.
    void AppendPacked(std::vector<uint16_t>& items) const;

private:
    int32_t m_face = 0;
    Str255 m_text;
};
