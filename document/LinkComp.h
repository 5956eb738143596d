#pragma once

// A link: an atomic component that shows a text and leads to a target (a web or mail address,
// another document, a file), which the document view opens when the user follows it. The caret
// never enters a link; the user edits both texts in the link's dialog.
//
// The external flag says whether following the link may hand an address to the desktop (web and
// mail addresses); every link this program makes has it set, and it is stored with the link so
// that a document keeps the flag it was written with.

#include "document/MathComp.h"
#include "document/Str255.h"

class QWidget;

class LinkComp final : public MathComp {
public:
    LinkComp() = default;
    LinkComp(const Str255& target, const Str255& shown, bool external)
        : m_target(target), m_shown(shown), m_external(external) {}

    OwnedComponent Clone() const override;
    // The shown text in the plain text face at the component's size.
    void Layout() override;
    void Draw() override;
    // Before the link in its parent list, wherever the point lies on it.
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    TypeTag GetTypeTag() const override { return tags::Link; }
    bool IsEqual(const TextComp& other) const override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Str255& GetTarget() const { return m_target; }
    const Str255& GetShownText() const { return m_shown; }
    bool IsExternal() const { return m_external; }
    // New texts; the link lays out again.
    void SetTexts(const Str255& target, const Str255& shown);

    // The modal "Link Properties" dialog over `parent`, prefilled with both texts; on OK the
    // texts are copied back (`SetTexts`). True when OK was chosen. The editor program
    // implements it (app/LinkDialog.cpp); the model never calls it.
    bool EditDialog(QWidget* parent);

private:
    Str255 m_target;
    Str255 m_shown;
    bool m_external = true;
};
