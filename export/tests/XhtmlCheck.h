#pragma once

// The XHTML page an export writes, checked as its readers check it: xmllint reads the page with
// the MathML DTD it names, and validates each formula on its own against that DTD.

#include "export/tests/ExternalTools.h"

#include <gtest/gtest.h>

#include <QFile>

#include <regex>
#include <string>

namespace exporttest {

inline constexpr const char* kMathDtd =
    "/usr/share/xml/w3c-sgml-lib/schema/dtd/XX-MathML2-20031104/xhtml-math11-f.dtd";

// The page is well formed and every formula on its own valid against the XHTML 1.1 plus
// MathML 2.0 DTD; the number of formulas checked, or -1 when a tool or the DTD is missing.
inline int CheckPage(const std::string& page, const std::string& dir) {
    WriteText(dir + "page.xml", page);
    if (!QFile::exists(QString::fromLatin1(kMathDtd))) return -1;
    // The DTD the page names, beside it, for its entities.
    QFile::copy(QString::fromLatin1(kMathDtd), QString::fromStdString(dir + "mathml.dtd"));
    const ToolRun parsed = RunTool("xmllint", {"--noout", "--loaddtd", "page.xml"}, dir);
    if (!parsed.found) return -1;
    // xmllint ends well even for undefined entities: its output is the verdict.
    EXPECT_EQ(parsed.output, "") << page;
    EXPECT_EQ(parsed.exitCode, 0);
    const std::regex math("<math[^>]*>[\\s\\S]*?</math>");
    int count = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), math);
         it != std::sregex_iterator(); ++it, ++count) {
        const std::string name = "math" + std::to_string(count) + ".xml";
        WriteText(dir + name,
                  "<?xml version=\"1.0\"?>\n<!DOCTYPE math SYSTEM \"mathml.dtd\">\n" + it->str());
        const ToolRun valid = RunTool("xmllint", {"--noout", "--valid", name.c_str()}, dir);
        EXPECT_EQ(valid.output, "") << it->str();
    }
    return count;
}

} // namespace exporttest
