// Whatever tree a save writes, a load reads back into a tree that saves to the same bytes, and
// that tree is stable from then on.

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/tests/Fakes.h"
#include "document/tests/StoredKinds.h"
#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace streambytes;
using storedkinds::Stored;

class TreeBuilder {
public:
    explicit TreeBuilder(uint32_t seed) : m_random(seed) {}

    void Fill(CompList& list, int32_t depth) {
        // Boxes get rarer with depth, so trees stay a few kilobytes but reach six levels.
        const int32_t items = Pick(0, depth == 0 ? 40 : 6);
        for (int32_t i = 0; i < items; ++i) {
            if (depth < 6 && Pick(0, 2 + 2 * depth) == 0)
                list.Append(NewBox(depth));
            else
                AppendRun(list);
        }
    }

private:
    int32_t Pick(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(m_random);
    }

    // Runs of one face, sometimes long enough to need several blocks. Code 0 is left out: a
    // stored zero ends a string by design.
    void AppendRun(CompList& list) {
        const int32_t face = Pick(0, 7);
        const int32_t length = Pick(0, 9) == 0 ? Pick(250, 600) : Pick(1, 12);
        for (int32_t i = 0; i < length; ++i)
            list.Append(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(Pick(1, 255))));
    }

    TextComp* NewBox(int32_t depth) {
        const auto& kind = storedkinds::kKinds[Pick(0, std::size(storedkinds::kKinds) - 1)];
        auto* box = new Stored(kind.tag, kind.lists);
        box->flag = static_cast<uint8_t>(Pick(0, 255));
        box->level = static_cast<int16_t>(Pick(-32768, 32767));
        box->number = Pick(INT32_MIN, INT32_MAX);
        box->value = std::uniform_real_distribution<double>(-1e300, 1e300)(m_random);
        for (int32_t i = Pick(0, 20); i > 0; --i)
            box->label.AppendChar(static_cast<char>(Pick(1, 255)));
        for (int32_t n = 1; n <= box->GetListCount(); ++n)
            Fill(*box->GetList(n), depth + 1);
        return box;
    }

    std::mt19937 m_random;
};

class DocStreamRoundTripTest : public ::testing::Test {
protected:
    fakes::GlyphSource m_glyphs;
    storedkinds::Registration m_kinds;
};

TEST_F(DocStreamRoundTripTest, RandomTreesWriteReadWriteToTheSameBytes) {
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        CompList original;
        TreeBuilder(seed).Fill(original, 0);
        const Bytes first = Save([&](DocStream& s) { original.Write(s); });

        CompList loaded;
        const int32_t end = Load(first, [&](DocStream& s) { loaded.Read(s); });
        EXPECT_EQ(end, static_cast<int32_t>(first.size()));
        const Bytes second = Save([&](DocStream& s) { loaded.Write(s); });
        ASSERT_EQ(second, first);

        CompList reloaded;
        Load(second, [&](DocStream& s) { reloaded.Read(s); });
        EXPECT_TRUE(reloaded.IsEqual(loaded));
    }
}

TEST_F(DocStreamRoundTripTest, DeepestWritableTreeReadsBack) {
    // The outer list is chunk 0, so 1023 nested boxes open the last chunk the writer allows.
    CompList root;
    CompList* list = &root;
    for (int32_t i = 1; i < DocStream::kMaxDepth; ++i) {
        auto* box = new Stored(tags::Radical, 1);
        list->Append(box);
        list = box->GetList(1);
    }
    fakes::AppendChars(*list, "deep");
    const Bytes bytes = Save([&](DocStream& s) { root.Write(s); });

    CompList loaded;
    Load(bytes, [&](DocStream& s) { loaded.Read(s); });
    EXPECT_TRUE(loaded.IsEqual(root));

    list->Append(new Stored(tags::Radical, 1));
    EXPECT_THROW(Save([&](DocStream& s) { root.Write(s); }), platform::FileException);
}

} // namespace
