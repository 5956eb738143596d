#include "document/DocumentHost.h"
#include "document/ExportWriters.h"
#include "document/KernelSession.h"
#include "document/TessaryDoc.h"
#include "document/tests/DocFiles.h"
#include "document/tests/RecordingWriters.h"
#include "platform/tests/FaultPlan.h"
#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using docfiles::Bytes;
using Prompt = DocumentHost::Prompt;
using namespace exportcmd;

const std::set<int32_t> kAll = {kLatex, kNotebook, kMathML, kHtml, kTechExplorer};

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class Session final : public KernelSession {
public:
    bool IsConnected() const override { return connected; }
    bool IsBusy() const override { return busy; }
    void ShowMessage(const char* text) override { messages.push_back(text); }
    bool connected = false;
    bool busy = false;
    std::vector<std::string> messages;

private:
    Installed<KernelSession> m_installed{gKernelSession, this};
};

TEST(ExportNameTest, ComesFromTheTitleWithoutItsMark) {
    const struct {
        const char* title;
        int32_t command;
        const char* expected;
    } cases[] = {
        {"Week 3 Notes.old", kLatex, "Week_3_Notes.tex"},
        {"Week 3 Notes.old", kHtml, "Week 3 Notes.htm"},
        {"Week 3 Notes.old", kTechExplorer, "Week 3 Notes.tcx"},
        {"Week 3 Notes.old", kNotebook, "Week 3 Notes.nb"},
        {"Week 3 Notes.old", kMathML, "Week 3 Notes.xml"},
        {"Untitled1*", kLatex, "Untitled1.tex"},
        {"Untitled1 ", kHtml, "Untitled1.htm"},
        {"notes.tsy*", kMathML, "notes.xml"},
        {"a.b.c", kNotebook, "a.nb"},
        {".hidden", kHtml, ".hidden.htm"},
        {"", kLatex, ".tex"},
        {"Fläche 2.tsy", kLatex, "Fläche_2.tex"},
        {"Week 3 Notes.old", 57603, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " " + std::to_string(c.command));
        EXPECT_EQ(CTessaryDoc::ProposeExportName(c.title, c.command), c.expected);
    }
    // LaTeX names are short strings: a long title is cut, never inside a character.
    const std::string longTitle = std::string(252, 'x') + "\xc3\xa4\xc3\xa4";
    EXPECT_EQ(CTessaryDoc::ProposeExportName(longTitle, kLatex),
              std::string(252, 'x') + "\xc3\xa4");
    EXPECT_EQ(CTessaryDoc::ProposeExportName(longTitle, kHtml), longTitle + ".htm");
}

TEST(KernelSessionTest, CheckBusyShowsTheWaitingMessageOnlyWhileBusy) {
    EXPECT_FALSE(IsKernelConnected()) << "no session, no kernel";
    EXPECT_FALSE(IsKernelBusy());
    Session session;
    EXPECT_FALSE(session.CheckBusy());
    EXPECT_TRUE(session.messages.empty());
    session.busy = true;
    EXPECT_TRUE(session.CheckBusy());
    ASSERT_EQ(session.messages.size(), 1u);
    EXPECT_EQ(session.messages[0],
              "Waiting for a Oskaria calculation to complete.\nYou will not be able to perform "
              "any actions until the calculation is complete.");
}

class DocExportTest : public ::testing::Test {
protected:
    DocExportTest() {
        m_doc.doc.OnNewDocument();
        m_doc.AddText(2, "alpha");
        m_doc.host.title = "Week 3 Notes.old*";
    }
    std::string Folder() const { return m_dir.Path(); }

    platform::testing::TempDir m_dir;
    docfiles::Doc m_doc;
    fakes::DrawPort m_port;
};

TEST_F(DocExportTest, CommandsAreEnabledByTheirWritersAndTheKernel) {
    for (int32_t command : kAll)
        EXPECT_FALSE(m_doc.doc.IsExportEnabled(command)) << "no factory: " << command;

    fakes::RecordingFactory factory({kLatex, kNotebook});
    EXPECT_TRUE(m_doc.doc.IsExportEnabled(kLatex));
    EXPECT_FALSE(m_doc.doc.IsExportEnabled(kHtml)) << "its writer is not made yet";
    EXPECT_FALSE(m_doc.doc.IsExportEnabled(kNotebook)) << "no kernel";
    EXPECT_FALSE(m_doc.doc.IsExportEnabled(57603));
    Session session;
    EXPECT_FALSE(m_doc.doc.IsExportEnabled(kNotebook)) << "disconnected";
    session.connected = true;
    EXPECT_TRUE(m_doc.doc.IsExportEnabled(kNotebook));

    m_doc.host.saveAnswer = m_dir.File("x.htm");
    EXPECT_FALSE(m_doc.doc.OnExport(kHtml));
    EXPECT_TRUE(m_doc.host.dialogs.empty()) << "a disabled command does nothing";
}

// Each command proposes its name, makes its writer with the chosen file's names (its pictures'
// names tagged with its format, so that exports side by side keep their own) and writes through
// it; the checking commands run a dry run first.
TEST_F(DocExportTest, EachCommandWritesThroughItsWriter) {
    fakes::RecordingFactory factory(kAll);
    Session session;
    session.connected = true;
    const std::string dir = Folder() + "/";
    const struct {
        int32_t command;
        const char* file;
        const char* proposed;
        const char* filter;
        std::vector<std::string> made;
        std::string written;
        int windowDraws;
    } cases[] = {
        {kLatex,
         "Week 3.tex",
         "Week_3_Notes.tex",
         "TeX files (*.tex) |*.tex||",
         {"latex Week 3-tex in " + dir},
         "latex header 1 1\n\nalpha\nalpha\nlatex end\n",
         1},
        {kTechExplorer,
         "w.tcx",
         "Week 3 Notes.tcx",
         "TechExplorer files (*.tcx) |*.tcx||",
         {"tcx w-tcx in " + dir},
         "tcx header 1 1\n\nalpha\nalpha\ntcx end\n",
         1},
        {kNotebook,
         "w.nb",
         "Week 3 Notes.nb",
         "Oskaria Notebook files (*.nb) |*.nb||",
         {"notebook", "notebook"},
         "Notebook[{\n}]\n",
         0},
        {kMathML,
         "w.xml",
         "Week 3 Notes.xml",
         "XML files (*.xml) |*.xml||",
         {"xhtml w w-xml in " + dir + " images 0", "xhtml w w-xml in " + dir + " images 1"},
         "<xhtml>\n</page>\n",
         1},
        {kHtml,
         "Week 3.htm",
         "Week 3 Notes.htm",
         "HTML files (*.htm) |*.htm||",
         {"html Week 3 Week 3-htm in " + dir + " widths " +
          std::to_string(m_port.GetColumnWidth()) + " " + std::to_string(m_port.GetRightEdge())},
         "<html>\n</page>\n",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        factory.log.clear();
        m_doc.host.dialogs.clear();
        m_doc.host.drawCount = 0;
        m_doc.host.saveAnswer = m_dir.File(c.file);
        ASSERT_TRUE(m_doc.doc.OnExport(c.command));
        ASSERT_EQ(m_doc.host.dialogs.size(), 1u);
        EXPECT_EQ(m_doc.host.dialogs[0].proposed, c.proposed);
        EXPECT_EQ(m_doc.host.dialogs[0].filter, c.filter);
        EXPECT_EQ(factory.log, c.made);
        EXPECT_EQ(docfiles::ReadFile(m_dir.File(c.file)), Text(c.written));
        EXPECT_EQ(m_doc.host.drawCount, c.windowDraws);
        EXPECT_EQ(m_doc.host.drawDepth, 0);
        EXPECT_EQ(m_doc.host.waitDepth, 0);
        EXPECT_TRUE(m_doc.host.reports.empty());
    }
    m_doc.doc.GetSettings().numberPages = 0;
    m_doc.doc.GetSettings().firstPage = 7;
    m_doc.host.saveAnswer = m_dir.File("Week 3.tex");
    ASSERT_TRUE(m_doc.doc.OnExport(kLatex));
    EXPECT_EQ(docfiles::ReadFile(m_dir.File("Week 3.tex")),
              Text("latex header 0 7\n\nalpha\nalpha\nlatex end\n"));
    EXPECT_FALSE(m_doc.doc.IsModified()) << "an export changes nothing in the document";
    EXPECT_EQ(m_doc.host.title, "Week 3 Notes.old*");
}

TEST_F(DocExportTest, ACancelledDialogWritesNothing) {
    fakes::RecordingFactory factory(kAll);
    EXPECT_FALSE(m_doc.doc.OnExport(kLatex));
    EXPECT_TRUE(factory.log.empty());
    EXPECT_EQ(m_doc.host.drawCount, 0);
    EXPECT_EQ(platform::testing::Entries(Folder()), std::vector<std::string>{});
}

// A formula that does not convert stops the export before any file is made or touched.
TEST_F(DocExportTest, AFailedDryRunCreatesNothingAndSelectsTheFormula) {
    fakes::RecordingFactory factory(kAll);
    Session session;
    session.connected = true;
    DocPos bad;
    bad.index = 4;
    bad.kind = DocPos::kInList;
    m_doc.Body().badFormula = bad;
    docfiles::WriteFile(m_dir.File("old.xml"), Text("keep me"));

    for (int32_t command : {kNotebook, kMathML}) {
        SCOPED_TRACE(command);
        m_doc.host.messages.clear();
        m_doc.host.selected.clear();
        m_doc.host.saveAnswer = m_dir.File(command == kNotebook ? "new.nb" : "old.xml");
        EXPECT_FALSE(m_doc.doc.OnExport(command));
        ASSERT_EQ(m_doc.host.messages.size(), 1u);
        EXPECT_EQ(m_doc.host.messages[0],
                  "This document contains a badly formed Oskaria expression. Please correct "
                  "this expression and try again.");
        ASSERT_EQ(m_doc.host.selected.size(), 1u);
        EXPECT_EQ(m_doc.host.selected[0].index, 4);
        EXPECT_TRUE(m_doc.host.reports.empty());
        EXPECT_EQ(m_doc.host.drawDepth, 0);
        EXPECT_EQ(m_doc.host.waitDepth, 0);
    }
    EXPECT_EQ(platform::testing::Entries(Folder()), std::vector<std::string>{"old.xml"});
    EXPECT_EQ(docfiles::ReadFile(m_dir.File("old.xml")), Text("keep me"));
}

// An export that fails at any write, sync or the rename reports it and leaves an existing
// file as it was, with no temporary file behind.
TEST_F(DocExportTest, AFailedExportLeavesTheOldFile) {
    fakes::RecordingFactory factory(kAll);
    const std::string path = m_dir.File("out.tex");
    docfiles::WriteFile(path, Text("the old export"));
    m_doc.host.saveAnswer = path;
    m_doc.AddText(400); // more than one growth step of the file

    const int points = platform::testing::FailEachPoint(
        [&] {
            ASSERT_TRUE(m_doc.doc.OnExport(kLatex));
            docfiles::WriteFile(path, Text("the old export"));
        },
        [&] {
            m_doc.host.reports.clear();
            EXPECT_FALSE(m_doc.doc.OnExport(kLatex));
            ASSERT_EQ(m_doc.host.reports.size(), 1u);
            EXPECT_EQ(m_doc.host.reports[0].prompt, Prompt::FailedToSave);
            EXPECT_EQ(m_doc.host.reports[0].path, path);
            EXPECT_EQ(docfiles::ReadFile(path), Text("the old export"));
            EXPECT_EQ(platform::testing::Entries(Folder()), std::vector<std::string>{"out.tex"});
            EXPECT_EQ(m_doc.host.drawDepth, 0);
            EXPECT_EQ(m_doc.host.waitDepth, 0);
        });
    EXPECT_GE(points, 4) << "the writes of the growing file, the sync and the rename";

    m_doc.host.reports.clear();
    m_doc.host.saveAnswer = m_dir.File("no/such/folder/out.tex");
    EXPECT_FALSE(m_doc.doc.OnExport(kLatex));
    ASSERT_EQ(m_doc.host.reports.size(), 1u);
    EXPECT_EQ(m_doc.host.reports[0].prompt, Prompt::InvalidFileName);
}

} // namespace
