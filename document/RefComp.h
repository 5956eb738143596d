#pragma once

// A reference to a numbered paragraph: shows the current label of its target's number. It keeps
// the target paragraph's identity (negated when the target lies in another document) and its
// last label, so it can be stored, shown without its target, and found again after loading.
// The target is resolved lazily, on first use.

#include "document/MathComp.h"
#include "document/Str255.h"

class RefSource;

class RefComp final : public MathComp {
public:
    RefComp() = default;
    RefComp(int32_t identity, const Str31& label) : m_identity(identity), m_label(label) {}
    // Points at `target` and registers with it.
    explicit RefComp(RefSource& target);
    ~RefComp() override;

    OwnedComponent Clone() const override;
    void Layout() override;
    void Draw() override;
    TypeTag GetTypeTag() const override { return tags::Reference; }
    bool IsEqual(const TextComp& other) const override;
    ExprNode* ToExpression() override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    // The target's paragraph after looking it up by identity when needed, or null.
    ParaComp* Resolve();
    // Takes the label and the identity from the target, if any.
    void UpdateLabel();
    // The source forgets this reference: take the label one last time and drop the target.
    void Detach();

    RefSource* GetTarget() const { return m_target; }
    int32_t GetIdentity() const { return m_identity; }
    // The label as stored, in the file's character set.
    const Str31& GetLabel() const { return m_label; }
    // The label as shown and exported, in the program's.
    Str255 ShownLabel() const;

private:
    RefSource* m_target = nullptr; // not owned
    int32_t m_identity = 0;
    Str31 m_label;
};
