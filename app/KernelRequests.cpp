#include "app/KernelRequests.h"

#include "app/OptionDialogs.h"
#include "app/QueryDialog.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "expr/BoxFactory.h"
#include "expr/CompositeNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "kernel/NodePath.h"
#include "platform/Cp1252.h"

#include <QMessageBox>

#include <vector>

namespace kernelrequests {

namespace {

// The parts of a request's argument, taken out of it; none when it is no list-like node.
std::vector<NodePtr> Parts(NodePtr argument) {
    std::vector<NodePtr> parts;
    auto* list = dynamic_cast<CompositeNode*>(argument.get());
    if (list == nullptr) return parts;
    NodePtr chain = list->DetachAll();
    while (chain) {
        NodePtr rest = chain->TakeNext();
        parts.push_back(std::move(chain));
        chain = std::move(rest);
    }
    return parts;
}

// The plain text of part `index`, empty when there is no such part.
QString PartText(const std::vector<NodePtr>& parts, size_t index) {
    if (index >= parts.size()) return {};
    Str255 text;
    parts[index]->WriteText(text);
    return platform::FromCp1252(text.View());
}

// The items of part `index` when it is a list; an empty array otherwise.
NodeArray PartItems(std::vector<NodePtr>& parts, size_t index) {
    NodeArray items;
    if (index < parts.size() && parts[index]->TypeTag() == ::TypeTag("lisN"))
        items.FromList(std::move(parts[index]));
    return items;
}

} // namespace

NodePtr Answer(QWidget* owner, int32_t number, NodePtr argument) {
    switch (number) {
    case kEditExpression:
        return EditExpression(owner, std::move(argument), false);
    case kSelectPart:
        return EditExpression(owner, std::move(argument), true);
    case kChooseOption:
        return ChooseOption(owner, std::move(argument));
    case kChooseItems:
        return ChooseItems(owner, std::move(argument));
    case kShowMessage:
        return ShowMessage(owner, std::move(argument));
    default:
        return nullptr;
    }
}

NodePtr EditExpression(QWidget* owner, NodePtr argument, bool select) {
    std::vector<NodePtr> parts = Parts(std::move(argument));
    const QString prompt = PartText(parts, 0);
    BoxList boxes;
    if (parts.size() > 1) parts[1]->BuildBoxes(boxes, 1);
    parts.clear();

    CompArray children;
    for (OwnedComponent& box : boxes.Release())
        children.Add(std::move(box));
    auto content = std::make_unique<CompSequence>();
    content->Append(std::make_unique<ParaComp>(std::move(children), ParaStyle::kPlainEquation));

    COSKQueryDialog dialog(owner, prompt, *content);
    if (dialog.RunModal() != COSKQueryDialog::kOk) return nullptr;
    NodePtr answer(content->GetAt(1)->ToExpression());
    if (answer && select) {
        kernel::NodePath path;
        path.FromSelection(*answer, dialog.FinalSelection());
        path.Last()->SetMover(true);
        path.Clear();
    }
    return answer;
}

NodePtr ChooseOption(QWidget* owner, NodePtr argument) {
    std::vector<NodePtr> parts = Parts(std::move(argument));
    const QString prompt = PartText(parts, 0);
    NodeArray options;
    if (parts.size() > 1) options.FromList(std::move(parts[1]));
    parts.clear();
    KernelQueryDialog dialog(owner, prompt, std::move(options));
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return dialog.TakeChosen();
}

NodePtr ChooseItems(QWidget* owner, NodePtr argument) {
    std::vector<NodePtr> parts = Parts(std::move(argument));
    const QString prompt = PartText(parts, 0);
    const QString left = PartText(parts, 1);
    const QString right = PartText(parts, 2);
    NodeArray available = PartItems(parts, 3);
    NodeArray chosen = PartItems(parts, 4);
    parts.clear();
    ItemChoiceDialog dialog(owner, prompt, left, right, std::move(available), std::move(chosen));
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return dialog.TakeChosen();
}

NodePtr ShowMessage(QWidget* owner, NodePtr argument) {
    Str255 text;
    if (argument) argument->WriteText(text);
    argument.reset();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tessary"),
                    platform::FromCp1252(text.View()), QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("kernelMessage"));
    box.exec();
    return SymbolNode::FromName("$Ignored");
}

} // namespace kernelrequests
