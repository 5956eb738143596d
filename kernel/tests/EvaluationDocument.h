#pragma once

// A document in a fake view with the real math boxes and the infix parser installed: what the
// calculation actions need besides a session.
//
// The document: paragraph 1 (Paragraph) "ab"; paragraph 2 (Plain Equation) "x+1"; paragraph 3
// (Paragraph) "cd".

#include "kernel/EvaluationActions.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/actions/tests/ActionFixture.h"
#include "mathbox/parser/ExprParser.h"

#include <gtest/gtest.h>

#include <string>

namespace kerneltest {

struct DocumentInView {
    DocumentInView() {
        seq.Append(actiontest::Para("ab", ParaStyle::kParagraph));
        seq.Append(actiontest::Para("x+1", ParaStyle::kPlainEquation));
        seq.Append(actiontest::Para("cd", ParaStyle::kParagraph));
        seq.PlaceAll(false);
    }

    CompList* List(int32_t paragraph) const { return seq.GetAt(paragraph)->GetList(1); }
    static DocRange Range(CompList* list, int32_t from, int32_t to) {
        DocRange range;
        range.Assign(actiontest::ListPos(list, from), actiontest::ListPos(list, to));
        return range;
    }
    // The tree of a whole paragraph's line, as the view's evaluate command makes it.
    static ExprHolder TreeOf(CompList* list) { return ExprHolder(NodePtr(list->ToExpression())); }

    // The paragraphs' kinds and text; the math face's style marks are left out.
    std::string Doc() const {
        std::string text = actiontest::Deep(seq);
        for (size_t at = text.find("'3"); at != std::string::npos; at = text.find("'3"))
            text.erase(at, 2);
        return text;
    }
    streambytes::Bytes Saved() const {
        return streambytes::Save([&](DocStream& s) { seq.Write(s, false); });
    }

    // After a calculation: undo gives back the bytes from before, redo the bytes from after,
    // each twice over; it ends undone.
    void ExpectUndoAndRedo(const streambytes::Bytes& before) {
        const auto after = Saved();
        for (int round = 0; round < 2; ++round) {
            slot.UndoCommand();
            EXPECT_EQ(Saved(), before) << "undo, round " << round;
            slot.UndoCommand(); // the Undo command redoes an undone action
            EXPECT_EQ(Saved(), after) << "redo, round " << round;
        }
        slot.UndoCommand();
    }

    actiontest::Services services;
    MathBoxKinds kinds;
    InfixListParser parser;
    Installed<ListParser> parserInstalled{gListParser, &parser};
    actiontest::Document document;
    CompSequence seq{&document};
    actiontest::FakeView view{seq};
    UndoSlot slot{view};
};

} // namespace kerneltest
