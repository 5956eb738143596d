#include "document/DocumentHost.h"
#include "document/TessaryDoc.h"
#include "document/tests/DocFiles.h"
#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using docfiles::Builder;
using docfiles::Bytes;
using Prompt = DocumentHost::Prompt;

Bytes Sound(int32_t version = 1400) {
    return Builder()
        .Long(version)
        .Short(3)
        .Pool(2, {})
        .Settings(5)
        .Defaults(3, 4, 5)
        .Long(2)
        .Para(5, 1)
        .Para(3, 2)
        .bytes;
}

struct LoadCase {
    const char* name;
    Bytes file;
    bool loads;
    int paragraphs;
    int warnings;
    std::function<void(CTessaryDoc&)> check;
};

class DocLoadTest : public ::testing::TestWithParam<LoadCase> {
protected:
    platform::testing::TempDir m_dir;
};

TEST_P(DocLoadTest, LoadsOrFailsCleanly) {
    const LoadCase& c = GetParam();
    const std::string path = m_dir.File("case.tsy");
    docfiles::WriteFile(path, c.file);

    docfiles::Doc doc;
    doc.doc.OnNewDocument();
    doc.host.title = "case.tsy";
    EXPECT_EQ(doc.doc.OnOpenDocument(path), c.loads);
    EXPECT_EQ(doc.doc.GetBody().GetCount(), c.paragraphs);
    EXPECT_EQ(doc.host.waitDepth, 0);

    int warnings = 0;
    for (const std::string& message : doc.host.messages)
        if (message == CTessaryDoc::kLaterVersionMessage) ++warnings;
    EXPECT_EQ(warnings, c.warnings);
    EXPECT_EQ(doc.host.messages.size(), static_cast<size_t>(c.warnings));

    if (c.loads) {
        EXPECT_TRUE(doc.host.reports.empty());
        EXPECT_FALSE(doc.doc.IsModified());
        EXPECT_EQ(doc.host.title, "case.tsy ");
        EXPECT_EQ(doc.host.placement, doc.doc.GetSettings().placement);
    } else {
        ASSERT_EQ(doc.host.reports.size(), 1u);
        EXPECT_EQ(doc.host.reports[0].prompt, Prompt::FailedToOpen);
        EXPECT_FALSE(doc.host.reports[0].saving);
        EXPECT_EQ(doc.doc.GetSettings(), DocSettings()) << "a failed load leaves it empty";
        EXPECT_TRUE(doc.doc.GetNumberPool().GetFree().empty());
    }
    if (c.check) c.check(doc.doc);
}

Bytes Cut(Bytes bytes, size_t drop) {
    bytes.resize(bytes.size() - drop);
    return bytes;
}

const LoadCase kCases[] = {
    {"Sound", Sound(), true, 2, 0,
     [](CTessaryDoc& doc) {
         EXPECT_EQ(doc.GetCreateDefaults(), (CreateDefaults{3, 4, 5}));
         EXPECT_EQ(doc.GetBody().GetIdentity(2), 2);
     }},
    {"LaterVersionWarnsOnceAndLoads", Sound(1401), true, 2, 1, nullptr},
    {"EarlierVersionLoadsQuietly", Sound(1000), true, 2, 0, nullptr},
    {"EmptyFileHasNoParagraphs", {}, true, 0, 0, nullptr},
    {"UnknownKindIsSkippedByItsLength",
     Builder()
         .Long(1400)
         .Short(4)
         .Pool(1, {})
         .Short(4)
         .Long(10)
         .Fill(10, 0xEE)
         .Settings(7)
         .Defaults(9, 8, 7)
         .Long(1)
         .Para(5, 1)
         .bytes,
     true, 1, 0,
     [](CTessaryDoc& doc) {
         EXPECT_EQ(doc.GetSettings().baseSize, 7);
         EXPECT_EQ(doc.GetCreateDefaults(), (CreateDefaults{9, 8, 7}));
     }},
    {"SurplusBytesOfARecordAreSkipped",
     Builder()
         .Long(1400)
         .Short(2)
         .Short(3)
         .Long(9)
         .Short(6)
         .Short(5)
         .Short(4)
         .Fill(3, 0x7F)
         .Settings(3)
         .Long(0)
         .bytes,
     true, 0, 0,
     [](CTessaryDoc& doc) {
         EXPECT_EQ(doc.GetCreateDefaults(), (CreateDefaults{6, 5, 4}));
         EXPECT_EQ(doc.GetSettings().baseSize, 3);
     }},
    {"NegativeLastNumberGivesPositiveIdentities",
     Builder().Long(1400).Short(1).Pool(-343799, {}).Long(2).Para(5, 0).Para(5, -2).bytes, true, 2,
     0,
     [](CTessaryDoc& doc) {
         EXPECT_EQ(doc.GetBody().GetIdentity(1), 1);
         EXPECT_EQ(doc.GetBody().GetIdentity(2), 2);
     }},
    {"NoHeaderRecords", Builder().Long(1400).Short(0).Long(1).Para(5, 1).bytes, true, 1, 0,
     nullptr},
    {"NegativeParagraphCountIsDamage",
     Builder().Long(1400).Short(1).Defaults(2, 2, 2).Long(-4).bytes, false, 0, 0, nullptr},
    {"NegativeHeaderRecordCountIsDamage", Builder().Long(1400).Short(-2).Long(0).bytes, false, 0, 0,
     nullptr},
    {"BytesAfterTheLastParagraphAreDamage", Builder().Append(Sound()).Long(0).bytes, false, 0, 0,
     nullptr},
    {"LaterVersionWithBytesAfterItsParagraphsIsDamage", Builder().Append(Sound(1401)).Byte(0).bytes,
     false, 0, 0, nullptr},
    {"BaseSizeOutOfRangeReadsAsDefault",
     Builder().Long(1400).Short(1).Settings(12, 2, 9).Long(0).bytes, true, 0, 0,
     [](CTessaryDoc& doc) {
         EXPECT_EQ(doc.GetSettings().baseSize, DocSettings::kDefaultBaseSize);
         EXPECT_EQ(doc.GetSettings().reserved, 1) << "flags read back as 0 or 1";
         EXPECT_EQ(doc.GetSettings().largerEquations, 1);
     }},
    {"NegativeBaseSizeReadsAsDefault", Builder().Long(1400).Short(1).Settings(-1).Long(0).bytes,
     true, 0, 0, [](CTessaryDoc& doc) { EXPECT_EQ(doc.GetSettings().baseSize, 5); }},
    {"BaseSizeNineIsKept", Builder().Long(1400).Short(1).Settings(9).Long(0).bytes, true, 0, 0,
     [](CTessaryDoc& doc) { EXPECT_EQ(doc.GetSettings().baseSize, 9); }},
    // A window placement is checked before anything works out a size from it: an empty one
    // or one far off any desktop reads as the default, which the window is then placed at.
    {"PlacementReachingTheLowestIntegerReadsAsDefault",
     Builder().Long(1400).Short(1).Settings(5, 0, 0, Rect(0, 0, INT32_MIN, 480)).Long(0).bytes,
     true, 0, 0,
     [](CTessaryDoc& doc) { EXPECT_EQ(doc.GetSettings().placement, DocSettings().placement); }},
    {"PlacementFarOffTheDesktopReadsAsDefault",
     Builder().Long(1400).Short(1).Settings(5, 0, 0, Rect(0, 0, 600, 1 << 21)).Long(0).bytes, true,
     0, 0,
     [](CTessaryDoc& doc) { EXPECT_EQ(doc.GetSettings().placement, DocSettings().placement); }},
    {"EmptyPlacementReadsAsDefault",
     Builder().Long(1400).Short(1).Settings(5, 0, 0, Rect(40, 40, 40, 300)).Long(0).bytes, true, 0,
     0, [](CTessaryDoc& doc) { EXPECT_EQ(doc.GetSettings().placement, DocSettings().placement); }},
    {"PlacementOnADesktopIsKept",
     Builder().Long(1400).Short(1).Settings(5, 0, 0, Rect(-120, 30, 700, 500)).Long(0).bytes, true,
     0, 0,
     [](CTessaryDoc& doc) { EXPECT_EQ(doc.GetSettings().placement, Rect(-120, 30, 700, 500)); }},
    {"ShortSettingsRecordIsDamage",
     Builder().Long(1400).Short(2).Short(2).Long(20).Fill(20, 0).Defaults(2, 2, 2).Long(0).bytes,
     false, 0, 0, nullptr},
    {"ShortDefaultsRecordIsDamage",
     Builder().Long(1400).Short(1).Short(3).Long(4).Short(7).Short(7).Long(0).bytes, false, 0, 0,
     nullptr},
    {"PoolCountBeyondItsRecordIsDamage",
     Builder().Long(1400).Short(1).Short(1).Long(12).Long(3).Long(2).Long(1).Long(0).bytes, false,
     0, 0, nullptr},
    {"NegativeRecordLengthIsDamage", Builder().Long(1400).Short(1).Short(4).Long(-1).Long(0).bytes,
     false, 0, 0, nullptr},
    {"RecordBeyondTheFileIsDamage", Builder().Long(1400).Short(1).Short(9).Long(5000).bytes, false,
     0, 0, nullptr},
    {"TruncatedInAParagraph", Cut(Sound(), 3), false, 0, 0, nullptr},
    {"TruncatedInTheHeader", Cut(Sound(), 60), false, 0, 0, nullptr},
    {"MissingParagraphCount", Builder().Long(1400).Short(0).bytes, false, 0, 0, nullptr},
    {"ThreeBytes", Builder().Byte(1).Byte(2).Byte(3).bytes, false, 0, 0, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Files, DocLoadTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Files that are no document of ours at all: each is refused with the file error, nothing is
// loaded in its place, and the file stays as it was.
TEST(DocRefusalTest, RandomBytesAreRefusedAndTheFileIsUntouched) {
    platform::testing::TempDir dir;
    const std::string path = dir.File("noise.tsy");
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        Bytes noise(1 + random() % 3000);
        for (uint8_t& byte : noise)
            byte = static_cast<uint8_t>(random());
        docfiles::WriteFile(path, noise);
        docfiles::Doc doc;
        doc.doc.OnNewDocument();
        EXPECT_FALSE(doc.doc.OnOpenDocument(path));
        ASSERT_EQ(doc.host.reports.size(), 1u);
        EXPECT_EQ(doc.host.reports[0].prompt, Prompt::FailedToOpen);
        EXPECT_EQ(doc.doc.GetBody().GetCount(), 0);
        EXPECT_EQ(docfiles::ReadFile(path), noise);
    }
}

// The load error says what is wrong and where, for a person: the byte, and at most the record's
// tag after it.
TEST(DocRefusalTest, TheLoadErrorNamesTheByteWhereTheDamageIs) {
    struct Case {
        const char* name;
        Bytes file;
        std::string what;
    };
    const Case cases[] = {
        {"a negative paragraph count", Builder().Long(1400).Short(0).Long(-4).bytes,
         "The document is damaged at byte 6."},
        {"a header record longer than the file",
         Builder().Long(1400).Short(1).Short(9).Long(5000).bytes,
         "The document is damaged at byte 12."},
        {"a record that claims too short a length",
         Builder()
             .Long(1400)
             .Short(0)
             .Long(1)
             .Short(5)
             .Long(1)
             .Long(1)
             .Long(static_cast<int32_t>(TypeTag("Frac").Value()))
             .Long(2)
             .bytes,
         "The document is damaged at byte 24 (record \"Frac\")."},
        {"bytes after the paragraphs", Builder().Long(1400).Short(0).Long(0).Long(7).bytes,
         "The document is damaged at byte 10."},
        {"a file that ends early", Builder().Long(1400).Short(1).bytes,
         "The document is damaged: it ends early, at byte 6."},
    };
    platform::testing::TempDir dir;
    const std::string path = dir.File("damaged.tsy");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        docfiles::WriteFile(path, c.file);
        docfiles::Doc doc;
        EXPECT_FALSE(doc.doc.OnOpenDocument(path));
        ASSERT_EQ(doc.host.reports.size(), 1u);
        EXPECT_EQ(doc.host.reports[0].what, c.what);
    }
}

class DocOpenTest : public ::testing::Test {
protected:
    platform::testing::TempDir m_dir;
    docfiles::Doc m_doc;
};

TEST_F(DocOpenTest, AMissingFileReportsAndKeepsTheDocument) {
    m_doc.doc.OnNewDocument();
    EXPECT_FALSE(m_doc.doc.OnOpenDocument(m_dir.File("missing.tsy")));
    ASSERT_EQ(m_doc.host.reports.size(), 1u);
    EXPECT_EQ(m_doc.host.reports[0].prompt, Prompt::FailedToOpen);
    EXPECT_EQ(m_doc.doc.GetBody().GetCount(), 1);
}

// The view gives an empty document its one paragraph without making it a change.
TEST_F(DocOpenTest, AnEmptyFileGetsItsParagraphFromTheView) {
    docfiles::WriteFile(m_dir.File("empty.tsy"), {});
    ASSERT_TRUE(m_doc.doc.OnOpenDocument(m_dir.File("empty.tsy")));
    EXPECT_EQ(m_doc.doc.GetBody().GetCount(), 0);
    m_doc.doc.EnsureParagraph();
    m_doc.doc.EnsureParagraph();
    ASSERT_EQ(m_doc.doc.GetBody().GetCount(), 1);
    EXPECT_EQ(m_doc.Body().paras[0].style, CTessaryDoc::kPlainEquation);
    EXPECT_FALSE(m_doc.doc.IsModified());
}

// What a document saves, it opens again to the same records and saves to the same bytes.
TEST_F(DocOpenTest, SavedDocumentsRoundTrip) {
    m_doc.doc.OnNewDocument();
    m_doc.AddText(25);
    m_doc.doc.ReleaseParagraphNumber(m_doc.Body().paras[3].identity);
    m_doc.Body().paras.erase(m_doc.Body().paras.begin() + 3);
    m_doc.doc.GetSettings() = DocSettings{Rect(-5, 7, 900, 1000), 3, 1, 1, -12, 0};
    m_doc.doc.GetCreateDefaults() = CreateDefaults{40, 1, 17};
    m_doc.host.placement = Rect(-5, 7, 900, 1000);
    ASSERT_TRUE(m_doc.doc.OnSaveDocument(m_dir.File("a.tsy")));

    docfiles::Doc again;
    ASSERT_TRUE(again.doc.OnOpenDocument(m_dir.File("a.tsy")));
    EXPECT_EQ(again.doc.GetSettings(), m_doc.doc.GetSettings());
    EXPECT_EQ(again.doc.GetCreateDefaults(), m_doc.doc.GetCreateDefaults());
    EXPECT_EQ(again.doc.GetNumberPool().GetFree(), std::vector<int32_t>{4});
    EXPECT_EQ(again.Identities(), m_doc.Identities());
    EXPECT_EQ(again.host.placement, Rect(-5, 7, 900, 1000));
    ASSERT_TRUE(again.doc.OnSaveDocument(m_dir.File("b.tsy")));
    EXPECT_EQ(docfiles::ReadFile(m_dir.File("b.tsy")), docfiles::ReadFile(m_dir.File("a.tsy")));
}

} // namespace
