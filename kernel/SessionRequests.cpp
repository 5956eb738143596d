// The kernel package protocol: one "EvaluatePacket" around one of the package's functions per
// request, with the heads, argument counts and argument order the kernel package expects.

#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"
#include "expr/LeafNodes.h"
#include "expr/LinkString.h"
#include "kernel/KernelSession.h"

namespace kernel {

void KernelSession::PutRequestHead(const char* head, int32_t count) {
    QKPutFunction(m_link, "EvaluatePacket", 1);
    QKPutFunction(m_link, head, count);
}

void KernelSession::PutSymbol(const char* name) {
    QKPutSymbol(m_link, name);
}

void KernelSession::EndRequest() {
    QKEndPacket(m_link);
}

NodePtr KernelSession::TreeRequest(const char* head, int32_t count, bool waitCursor,
                                   const std::function<void()>& arguments) {
    if (!CanSend()) return ErrorResult();
    RequestScope scope(*this, waitCursor);
    PutRequestHead(head, count);
    arguments();
    EndRequest();
    return ReadResult();
}

int32_t KernelSession::RecordRequest(const char* head, int32_t count, bool evaluable,
                                     const std::function<void()>& arguments,
                                     CandidateRecords& records) {
    if (!evaluable || !CanSend()) {
        records.fill(CandidateRecord{});
        return 1;
    }
    RequestScope scope(*this, false);
    PutRequestHead(head, count);
    arguments();
    EndRequest();
    return ReadRecordList(records);
}

NodePtr KernelSession::StringEvaluate(const ExprNode& node) {
    return TreeRequest("TYStringEvaluate", 1, true, [&] { node.PutToLink(m_link, kNoMarkers); });
}

NodePtr KernelSession::ComputePlot(const ExprNode& node) {
    NodePtr answer =
        TreeRequest("TYComputePlot", 1, true, [&] { node.PutToLink(m_link, kNoMarkers); });
    return IsSymbolNamed(*answer, "$Canceled") ? nullptr : std::move(answer);
}

void KernelSession::PreferenceRequest(int32_t count, const std::function<void()>& last) {
    if (!CanSend()) return;
    try {
        RequestScope scope(*this, false);
        PutRequestHead("TYSetSessionPrefs", count);
        SymbolNode(NodeSource(), m_prefs.defaultVariable.ToCString()).PutToLink(m_link, kNoMarkers);
        SymbolNode(NodeSource(), m_prefs.transformVariable.ToCString())
            .PutToLink(m_link, kNoMarkers);
        IntegerNode(std::to_string(m_prefs.precision)).PutToLink(m_link, kNoMarkers);
        if (last) last();
        EndRequest();
        ReadAndDropAnswer();
    } catch (...) {
        // The preferences are a courtesy to the kernel: a failure here must not end the
        // command that sent them.
    }
}

void KernelSession::SetSessionPrefs() {
    PreferenceRequest(3, nullptr);
}

void KernelSession::SetSessionPrefsWithOrdering() {
    SetConstantsToBack(m_savedOrdering ? m_savedConstantsToBack : true);
    PreferenceRequest(4, [this] {
        if (m_savedOrdering)
            m_savedOrdering->PutToLink(m_link, kNoMarkers);
        else
            PutSymbol("tyDefaultSortPriorities");
    });
}

NodePtr KernelSession::Shuffle(int16_t mode, const ExprNode& node) {
    return TreeRequest("TYShuffle", 2, true, [&] {
        QKPutShortInteger(m_link, mode);
        node.PutToLink(m_link, kTargetAndMover);
    });
}

NodePtr KernelSession::Drop(int16_t mode, const ExprNode& node, const ExprNode& target) {
    return TreeRequest("TYDrop", 3, true, [&] {
        QKPutShortInteger(m_link, mode);
        node.PutToLink(m_link, kNoMarkers);
        target.PutToLink(m_link, kNoMarkers);
    });
}

int32_t KernelSession::EvaluateShuffle(const ExprNode& node, CandidateRecords& records) {
    return RecordRequest(
        "TYEvaluateShuffle", 1, node.IsEvaluable(),
        [&] { node.PutToLink(m_link, kTargetAndMover); }, records);
}

int32_t KernelSession::EvaluateDrop(const ExprNode& node, const ExprNode& target,
                                    CandidateRecords& records) {
    return RecordRequest(
        "TYEvaluateDrop", 2, node.IsEvaluable() && target.IsEvaluable(),
        [&] {
            node.PutToLink(m_link, kNoMarkers);
            target.PutToLink(m_link, kNoMarkers);
        },
        records);
}

NodePtr KernelSession::Evaluate(int16_t kind, const ExprNode& node) {
    return TreeRequest("TYEvaluate", 2, true, [&] {
        QKPutShortInteger(m_link, kind);
        node.PutToLink(m_link, kNoMarkers);
    });
}

int32_t KernelSession::EvaluateEval(const ExprNode& node, CandidateRecords& records) {
    return RecordRequest(
        "TYEvaluateEval", 1, node.IsEvaluable(), [&] { node.PutToLink(m_link, kTargetAndMover); },
        records);
}

NodePtr KernelSession::Simplify(const ExprNode& node) {
    return TreeRequest("TYSimplify", 1, true, [&] { node.PutToLink(m_link, kNoMarkers); });
}

void KernelSession::SetSortPriorities(NodePtr list, bool constantsToBack) {
    SetConstantsToBack(constantsToBack);
    if (!list || !CanSend()) return;
    RequestScope scope(*this, false);
    PutRequestHead("TYSetSortPriorities", 1);
    list->PutToLink(m_link, kNoMarkers);
    EndRequest();
    ReadAndDropAnswer();
}

NodePtr KernelSession::GetSortPriorities(bool defaults) {
    if (defaults) SetConstantsToBack(true);
    // Unlike the other requests this one once went out unguarded, which let it write to no
    // link or take another request's answer; it is guarded like the rest.
    if (!CanSend()) return ErrorResult();
    RequestScope scope(*this, false);
    QKPutFunction(m_link, "EvaluatePacket", 1);
    PutSymbol(defaults ? "tyDefaultSortPriorities" : "tySortPriorities");
    EndRequest();
    return ReadResult();
}

void KernelSession::SetConstant(char letter, bool declare) {
    if (!CanSend()) return;
    RequestScope scope(*this, false);
    PutRequestHead(declare ? "SetAttributes" : "ClearAttributes", 2);
    const std::string name = ConvertToLinkSymbol(std::string(1, letter));
    QKPutSymbol(m_link, name.c_str());
    PutSymbol("Constant");
    EndRequest();
    ReadAndDropAnswer();
}

NodePtr KernelSession::NextPriority(const ExprNode& list) {
    if (list.ChildCount() == 0 || m_busy) return std::make_unique<IntegerNode>("1");
    return TreeRequest("Plus", 2, false, [&] {
        QKPutFunction(m_link, "Part", 2);
        QKPutFunction(m_link, "Sort", 2);
        list.PutToLink(m_link, kNoMarkers);
        PutSymbol("Greater");
        QKPutLongInteger(m_link, 1);
        QKPutLongInteger(m_link, 1);
    });
}

std::string KernelSession::ToStandardFormText(const ExprNode& node) {
    if (!CanSend()) return "Error";
    std::string text;
    {
        RequestScope scope(*this, false);
        QKPutFunction(m_link, "ToString", 2);
        QKPutFunction(m_link, "Hold", 1);
        node.PutStandardToLink(m_link);
        PutSymbol("StandardForm");
        EndRequest();
        text = ReadStringResult();
    }
    if (text.size() > 12) text = text.substr(9, text.size() - 12);
    const bool wrapped = text.size() >= 4 && text.compare(0, 2, "\\(") == 0 &&
                         text.compare(text.size() - 2, 2, "\\)") == 0;
    return wrapped ? text : "\\(" + text + "\\)";
}

} // namespace kernel
