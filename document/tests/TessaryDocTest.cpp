#include "document/TessaryDoc.h"

#include "document/DocumentHost.h"
#include "document/tests/DocFiles.h"
#include "platform/tests/FaultPlan.h"
#include "platform/tests/KilledSave.h"
#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

using docfiles::Bytes;
using docfiles::ReadFile;
using Prompt = DocumentHost::Prompt;

class TessaryDocTest : public ::testing::Test {
protected:
    std::string Folder() const { return m_dir.Path(); }
    platform::testing::TempDir m_dir;
    docfiles::Doc m_doc;
};

TEST_F(TessaryDocTest, ANewDocumentHoldsOnePlainEquation) {
    m_doc.doc.OnNewDocument();
    ASSERT_EQ(m_doc.Body().GetCount(), 1);
    EXPECT_EQ(m_doc.Body().paras[0].style, CTessaryDoc::kPlainEquation);
    EXPECT_EQ(m_doc.Body().paras[0].identity, 1);
    EXPECT_EQ(m_doc.host.bodiesShown, 1);
    EXPECT_EQ(m_doc.doc.GetSettings(), DocSettings());
    EXPECT_EQ(m_doc.doc.GetCreateDefaults(), CreateDefaults());
}

// A new document saved at once, byte for byte, with the frame's placement of the moment.
TEST_F(TessaryDocTest, ANewDocumentSavesToTheGoldenBytes) {
    const Bytes golden = {
        0x78, 0x05, 0x00, 0x00, 0x03, 0x00,                         // version 1400, 3 records
        0x01, 0x00, 0x08, 0x00, 0x00, 0x00,                         // pool, 8 bytes
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // last 1, none free
        0x02, 0x00, 0x17, 0x00, 0x00, 0x00,                         // settings, 23 bytes
        0x05, 0x00, 0x00, 0x00, 0x01, 0x00,                         // size 5, flags, page 1
        0x0a, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,             // placement 10, 20,
        0x76, 0x02, 0x00, 0x00, 0xf4, 0x01, 0x00, 0x00, 0x01,       // 630, 500; numbered
        0x03, 0x00, 0x06, 0x00, 0x00, 0x00,                         // defaults, 6 bytes
        0x02, 0x00, 0x02, 0x00, 0x02, 0x00,                         // 2 columns, rows, entries
        0x01, 0x00, 0x00, 0x00,                                     // one paragraph
        0x05, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // style 5, id 1, empty
    };
    ASSERT_EQ(golden.size(), 75u);

    m_doc.doc.OnNewDocument();
    m_doc.host.placement = Rect(10, 20, 630, 500);
    const struct {
        const char* name;
        int64_t limit;
    } paths[] = {{"one block", 1 << 20}, {"segments", 70}};
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        m_doc.doc.SetBlockLimit(path.limit);
        const std::string file = m_dir.File(std::string(path.name) + ".tsy");
        ASSERT_TRUE(m_doc.doc.OnSaveDocument(file));
        EXPECT_EQ(ReadFile(file), golden);
    }
    EXPECT_TRUE(m_doc.host.reports.empty());
    EXPECT_EQ(m_doc.host.waitDepth, 0);
}

TEST_F(TessaryDocTest, SegmentsGiveTheBytesOfOneBlock) {
    m_doc.doc.OnNewDocument();
    m_doc.AddText(40);
    const std::string whole = m_dir.File("whole.tsy");
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(whole));

    m_doc.doc.SetBlockLimit(200); // the header and every paragraph fit, the whole does not
    const std::string parts = m_dir.File("parts.tsy");
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(parts));
    EXPECT_EQ(ReadFile(parts), ReadFile(whole));

    m_doc.doc.SetBlockLimit(20); // not even one paragraph fits
    m_doc.doc.SetModifiedFlag(true);
    EXPECT_FALSE(m_doc.doc.OnSaveDocument(parts));
    ASSERT_EQ(m_doc.host.reports.size(), 1u);
    EXPECT_EQ(m_doc.host.reports[0].prompt, Prompt::FailedToSave);
    EXPECT_TRUE(m_doc.doc.IsModified());
    EXPECT_EQ(ReadFile(parts), ReadFile(whole));
}

TEST_F(TessaryDocTest, TheTitleMarkFollowsTheModifiedFlag) {
    const struct {
        const char* title;
        bool modified;
        const char* expected;
        int frameUpdates;
    } cases[] = {
        {"Untitled1", true, "Untitled1*", 1},
        {"Untitled1*", true, "Untitled1*", 0},
        {"Untitled1*", false, "Untitled1 ", 0},
        {"Untitled1", false, "Untitled1", 0},
        {"", true, "", 0},
        {"", false, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + (c.modified ? " set" : " cleared"));
        docfiles::Doc doc;
        doc.host.title = c.title;
        doc.doc.SetModifiedFlag(c.modified);
        EXPECT_EQ(doc.host.title, c.expected);
        EXPECT_EQ(doc.host.modified, c.modified);
        EXPECT_EQ(doc.host.frameUpdates, c.frameUpdates);
    }

    m_doc.host.title = "Notes.tsy*";
    m_doc.doc.BlankTitleMark();
    EXPECT_EQ(m_doc.host.title, "Notes.tsy ");
}

// The title shows no mark after any save, and the first change after one appends one mark.
TEST_F(TessaryDocTest, SavingSetsTheTitleFromTheFileName) {
    m_doc.host.title = "Untitled1";
    m_doc.doc.OnNewDocument();
    m_doc.doc.SetModifiedFlag(true);
    m_doc.doc.BlankTitleMark();
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(m_dir.File("Week 3 Notes.tsy")));
    EXPECT_EQ(m_doc.host.title, "Week 3 Notes.tsy");
    EXPECT_FALSE(m_doc.doc.IsModified());

    m_doc.doc.SetLargerEquations(true);
    m_doc.doc.SetLargerEquations(false);
    EXPECT_EQ(m_doc.host.title, "Week 3 Notes.tsy*");
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(m_dir.File("Week 3 Notes.tsy")));
    EXPECT_EQ(m_doc.host.title, "Week 3 Notes.tsy");
}

// Paragraph identities stay unique whatever numbers arrive.
TEST_F(TessaryDocTest, ClaimedNumbersAreKeptOnlyWhenNoParagraphHoldsThem) {
    m_doc.doc.OnNewDocument();
    m_doc.AddText(3); // identities 1 to 4
    EXPECT_EQ(m_doc.doc.ClaimParagraphNumber(3), 5) << "held by another paragraph";
    EXPECT_EQ(m_doc.doc.ClaimParagraphNumber(0), 6);
    EXPECT_EQ(m_doc.doc.ClaimParagraphNumber(9), 9) << "free and unheld: kept";
    EXPECT_EQ(m_doc.doc.ClaimParagraphNumber(0), 10) << "fresh numbers continue above it";

    m_doc.doc.ReleaseParagraphNumber(2);
    m_doc.doc.ReleaseParagraphNumber(2);
    EXPECT_EQ(m_doc.doc.GetNumberPool().GetFree(), std::vector<int32_t>{2})
        << "a number goes back once";
    EXPECT_EQ(m_doc.doc.ClaimParagraphNumber(2), 2);
    EXPECT_TRUE(m_doc.doc.GetNumberPool().GetFree().empty()) << "kept, so no longer free";
    EXPECT_EQ(m_doc.doc.ClaimParagraphNumber(0), 11);
}

TEST_F(TessaryDocTest, LoadedIdentitiesAreMadeUnique) {
    using docfiles::Builder;
    const struct {
        const char* name;
        int32_t last;
        std::vector<int32_t> free;
        std::vector<int32_t> stored;
        std::vector<int32_t> kept; // identities that must survive as stored
    } cases[] = {
        {"sound", 3, {}, {1, 2, 3}, {1, 2, 3}},
        {"zero", 2, {}, {0, 2}, {2}},
        {"repeated", 3, {}, {3, 3, 1}, {3, 1}},
        {"free", 5, {2}, {2, 5}, {5}},
        {"free twice, held elsewhere", 4, {4, 4, 1, 0, -3}, {1, 0, 0}, {}},
        {"above the last", 1, {}, {7, 0}, {7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Builder file;
        file.Long(1400).Short(1).Pool(c.last, c.free).Long(static_cast<int32_t>(c.stored.size()));
        for (int32_t id : c.stored)
            file.Para(3, id);
        const std::string path = m_dir.File(std::string(c.name) + ".tsy");
        docfiles::WriteFile(path, file.bytes);

        docfiles::Doc doc;
        ASSERT_TRUE(doc.doc.OnOpenDocument(path));
        const std::vector<int32_t> ids = doc.Identities();
        ASSERT_EQ(ids.size(), c.stored.size());
        EXPECT_EQ(docfiles::IdentityFault(doc.doc), "");
        const std::set<int32_t> distinct(ids.begin(), ids.end());
        for (int32_t id : c.kept)
            EXPECT_TRUE(distinct.count(id)) << id;
        EXPECT_FALSE(doc.doc.IsModified());

        // New paragraphs and released ones keep the identities apart too.
        doc.doc.ReleaseParagraphNumber(ids[0]);
        const int32_t again = doc.doc.ClaimParagraphNumber(0);
        EXPECT_EQ(again, ids[0]);
        EXPECT_FALSE(
            std::set<int32_t>(ids.begin() + 1, ids.end()).count(doc.doc.ClaimParagraphNumber(0)));
    }
}

class Bound final : public ParaSequence {
public:
    ParaDocument* GetDocument() const override { return nullptr; }
    void DetachDocument() override { ++detached; }
    int detached = 0;
};

TEST_F(TessaryDocTest, ClosingDetachesTheSequencesThatNameTheDocument) {
    Bound kept, left;
    {
        docfiles::Doc doc;
        doc.doc.RegisterSequence(&kept);
        doc.doc.RegisterSequence(&left);
        doc.doc.UnregisterSequence(&left);
    }
    EXPECT_EQ(kept.detached, 1);
    EXPECT_EQ(left.detached, 0);
}

// A save that fails at any write, sync or the rename leaves the old file byte for byte, and
// the document still modified.
TEST_F(TessaryDocTest, AFailedSaveLeavesTheOldFile) {
    const std::string path = m_dir.File("doc.tsy");
    m_doc.doc.OnNewDocument();
    m_doc.AddText(30);
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(path));
    const Bytes old = ReadFile(path);
    m_doc.AddText(30, "changed");

    for (int64_t limit : {int64_t{1} << 30, int64_t{300}}) {
        SCOPED_TRACE("block limit " + std::to_string(limit));
        m_doc.doc.SetBlockLimit(limit);
        const int points = platform::testing::FailEachPoint(
            [&] {
                ASSERT_TRUE(m_doc.doc.OnSaveDocument(m_dir.File("probe.tsy")));
                std::filesystem::remove(m_dir.File("probe.tsy"));
            },
            [&] {
                m_doc.host.reports.clear();
                m_doc.host.title = "doc.tsy*";
                m_doc.doc.SetModifiedFlag(true);
                EXPECT_FALSE(m_doc.doc.OnSaveDocument(path));
                ASSERT_EQ(m_doc.host.reports.size(), 1u);
                EXPECT_EQ(m_doc.host.reports[0].prompt, Prompt::FailedToSave);
                EXPECT_TRUE(m_doc.doc.IsModified());
                EXPECT_EQ(m_doc.host.title, "doc.tsy*");
                EXPECT_EQ(ReadFile(path), old);
                EXPECT_EQ(platform::testing::Entries(Folder()),
                          std::vector<std::string>{"doc.tsy"});
                EXPECT_EQ(m_doc.host.waitDepth, 0);
            });
        EXPECT_GE(points, limit < 1000 ? 30 : 3) << "segments are written one by one";
    }
}

TEST_F(TessaryDocTest, ASaveThatCannotStartReportsTheFileName) {
    m_doc.doc.OnNewDocument();
    m_doc.doc.SetModifiedFlag(true);
    EXPECT_FALSE(m_doc.doc.OnSaveDocument(m_dir.File("no/such/folder/doc.tsy")));
    ASSERT_EQ(m_doc.host.reports.size(), 1u);
    EXPECT_EQ(m_doc.host.reports[0].prompt, Prompt::InvalidFileName);
    EXPECT_TRUE(m_doc.host.reports[0].saving);
    EXPECT_TRUE(m_doc.doc.IsModified());
}

// A child saving a large document is killed at random moments of its save: the file on disk is
// always the whole old document or the whole new one, and the next save clears what the killed
// ones left.
TEST_F(TessaryDocTest, AKilledSaveLeavesTheOldOrTheNewDocument) {
    const std::string path = m_dir.File("big.tsy");
    m_doc.doc.OnNewDocument();
    m_doc.AddText(1000);
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(path));
    const std::string old = platform::testing::ReadWhole(path);

    m_doc.AddText(300, "more");
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(m_dir.File("new.tsy")));
    const std::string replacement = platform::testing::ReadWhole(m_dir.File("new.tsy"));
    std::filesystem::remove(m_dir.File("new.tsy"));
    ASSERT_NE(old, replacement);

    platform::testing::ExpectKilledSavesLeaveOldOrNew(path, old, replacement, 5,
                                                      [&] { m_doc.doc.OnSaveDocument(path); });
}

} // namespace
