// The editor's share of one evaluation: the selected line parsed into a tree, the request
// written to the link, the answer read back into a tree, its boxes built and placed as a new
// paragraph, and the document laid out again; then the undo that takes it out. The kernel is
// the far side of a loopback link whose answer is written before each run with the timer
// stopped, so none of the kernel's own time is counted. The document has a few paragraphs of
// text and math, laid out with the real fonts and builders. The goal is under 1 ms.
//
// Beside it, in the same run, one step of a term drag: the pointer moves to a new place, the
// place is found under it, the kernel is asked what dropping the term there means and answers
// at once, and the proposal is framed in the window and said. The goal is far under one frame
// at 60 Hz (16.7 ms).

#include "Loopback.h"
#include "QuietHost.h"
#include "bench/BenchView.h"
#include "bench/RealServices.h"
#include "corvinet/corvinet.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/GlyphSource.h"
#include "document/ParaComp.h"
#include "document/tests/FakeHost.h"
#include "document/tests/SequenceFakes.h"
#include "kernel/DragTools.h"
#include "kernel/EvaluationActions.h"
#include "kernel/KernelSession.h"
#include "mathbox/actions/UndoSlot.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

namespace {

using tessary::bench::Loopback;
using tessary::bench::QuietHost;

void Type(CompList& list, int32_t face, std::string_view text) {
    for (char c : text)
        list.Append(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(c)));
}

std::unique_ptr<ParaComp> Text(std::string_view text) {
    auto para = std::make_unique<ParaComp>(ParaStyle::kParagraph);
    Type(*para->GetList(1), para->GetStyle().GetTextFace(), text);
    return para;
}

// The kernel's canned answer to every request: (x + 1)^2.
void PutAnswer(QKLINK link) {
    QKPutFunction(link, "ReturnPacket", 1);
    QKPutFunction(link, "TYPower", 2);
    QKPutFunction(link, "TYPlus", 2);
    QKPutSymbol(link, "x");
    QKPutInteger(link, 1);
    QKPutInteger(link, 2);
    QKEndPacket(link);
    QKFlush(link);
}

struct Fixture {
    tessary::bench::RealMath services;
    seqfakes::Document document; // paragraph numbers as a document hands them out
    CompSequence seq{&document};
    BenchView view{seq};
    UndoSlot slot{view};
    Loopback loopback{1, 7};
    QuietHost host;
    // Ends before the loopback's environment; its quit closes the link.
    std::unique_ptr<kernel::KernelSession> session = std::make_unique<kernel::KernelSession>(host);
    CompList* line = nullptr;

    Fixture() {
        document.body = &seq;
        services.drawing.Port().BeginWindowDraw(view);
        seq.Append(Text("The square below factors over the integers, as the kernel shows."));
        // x^2 + 2x + 1, the exponent a raised box as typed.
        auto equation = std::make_unique<ParaComp>(ParaStyle::kPlainEquation);
        line = equation->GetList(1);
        const int32_t face = kMathGlyphFace;
        Type(*line, face, "x");
        BoxList exponent;
        exponent.AddGlyphs("2");
        line->Append(gBoxFactory.Get()->ExpoComp(std::move(exponent)).release());
        Type(*line, face, "+2x+1");
        seq.Append(std::move(equation));
        seq.Append(Text("A paragraph after the equation, long enough to wrap once or twice "
                        "when the window is narrow, as prose in a worked example does."));
        auto second = std::make_unique<ParaComp>(ParaStyle::kPlainEquation);
        Type(*second->GetList(1), face, "y=3x-4");
        seq.Append(std::move(second));
        seq.Append(Text("And a closing remark."));
        seq.PlaceAll(false);
        session->AttachLink(loopback.Release());
    }
    ~Fixture() {
        // The quit finds its confirmation waiting.
        QKPutFunction(session->Link(), "SuspendPacket", 0);
        QKEndPacket(session->Link());
        QKFlush(session->Link());
        session.reset();
        slot.Clear();
        services.drawing.Port().EndDraw();
    }

    // Selects the equation's line, parses it and runs the calculation on the whole tree.
    bool Evaluate() {
        DocPos start;
        DocPos end;
        start.SetAt(line, 1);
        end.SetAt(line, line->GetCount() + 1);
        view.selection.Assign(start, end);
        ExprHolder tree(NodePtr(line->ToExpression()));
        ExprNode* input = tree.Get();
        return slot.DoAction(MakeAction<kernel::EvaluateAction>(
            view, *session, view.selection, 5, kernel::placement::kNewParagraphAfter,
            std::move(tree), input));
    }

    // The answer's paragraph stands after the equation, laid out: a group and its exponent.
    bool Placed() const {
        const ParaComp* answer = seq.GetCount() == 6 ? seq.GetAt(3) : nullptr;
        return answer && answer->GetList(1)->GetCount() == 2 && answer->GetFrame().Height() > 0;
    }
    // One calculation done and checked, then undone, before the timed runs.
    bool Check() {
        PutAnswer(session->Link());
        const bool placed = Evaluate() && Placed();
        slot.UndoCommand();
        loopback.drain();
        return placed && seq.GetCount() == 5;
    }
};

// The kernel's offer for every place a term is dragged to: one move.
void PutOffer(QKLINK link) {
    QKPutFunction(link, "ReturnPacket", 1);
    QKPutFunction(link, "List", 1);
    QKPutFunction(link, "List", 3);
    QKPutInteger(link, 1);
    QKPutString(link, "Move term");
    QKPutInteger(link, kernel::placement::kReplaceParagraph);
    QKEndPacket(link);
    QKFlush(link);
}

// The document point over the middle of component `index` of the equation.
Point Over(CompList* line, int32_t index) {
    DocPos before;
    DocPos after;
    before.SetAt(line, index);
    after.SetAt(line, index + 1);
    const Rect left = before.CaretRect();
    return Point((left.left + after.CaretRect().left) / 2, (left.top + left.bottom) / 2);
}

// One drag step per iteration, between the places over 1 and over x^2 in turn, so that every
// step is a new place; the term dragged is 2x.
void BM_DragStep(benchmark::State& state) {
    Fixture f;
    fakes::Host messages;
    DocPos start;
    DocPos end;
    start.SetAt(f.line, 4);
    end.SetAt(f.line, 6);
    f.view.selection.Assign(start, end);
    kernel::ShuffleTool tool(f.view, f.seq, *f.session, messages, f.view.selection);
    const Point places[2] = {Over(f.line, 7), Over(f.line, 1)};
    tool.Begin(Over(f.line, 4));
    size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PutOffer(f.session->Link());
        state.ResumeTiming();
        tool.MouseMoved(places[next]);
        if (tool.Candidate() == nullptr) {
            state.SkipWithError("no proposal");
            break;
        }
        next ^= 1;
        state.PauseTiming();
        f.loopback.drain(); // the kernel reads the request
        state.ResumeTiming();
    }
    tool.End(places[next]);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

// One calculation per iteration, with its undo timed too or run with the timer stopped.
void BM_Evaluate(benchmark::State& state, bool timeUndo) {
    Fixture f;
    if (!f.Check()) state.SkipWithError("the answer was not placed");
    for (auto _ : state) {
        state.PauseTiming();
        PutAnswer(f.session->Link());
        state.ResumeTiming();
        if (!f.Evaluate() || f.seq.GetCount() != 6) {
            state.SkipWithError("the answer was not placed");
            break;
        }
        if (timeUndo) f.slot.UndoCommand();
        state.PauseTiming();
        if (!timeUndo) f.slot.UndoCommand();
        f.loopback.drain(); // the kernel reads the request
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_Evaluate, do_and_undo, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Evaluate, do_only, false)->Unit(benchmark::kMicrosecond);

} // namespace
