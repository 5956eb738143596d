#pragma once

// A LaTeX writer into a string, for the math-box tests and benchmark: characters as
// themselves, boxes through their own `WriteLatex`.

#include "document/TextComp.h"
#include "document/tests/ParagraphLatexWriter.h"

#include <string>

namespace boxtest {

class StringLatex final : public fakes::ParagraphLatexWriter {
public:
    // With `showGroups` every group shows, unbraced ones as <...> and braced ones as <{...}>;
    // without, only the braces are written, which is LaTeX as it stands.
    explicit StringLatex(bool showGroups) : m_showGroups(showGroups) {}

    void BeginGroup(bool brace) override {
        if (m_showGroups) out += '<';
        if (brace) out += '{';
    }
    void EndGroup(bool brace) override {
        if (brace) out += '}';
        if (m_showGroups) out += '>';
    }
    void WriteComponentChar(TextComp& comp, bool) override {
        if (comp.IsNotChar())
            comp.WriteLatex(*this);
        else
            out += static_cast<char>(comp.GetCharCode());
    }
    void WriteRaw(const char* text) override { out += text; }

    std::string out;

private:
    bool m_showGroups;
};

} // namespace boxtest
