#include "app/KernelRequests.h"

#include "app/OptionDialogs.h"
#include "app/QueryDialog.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "expr/BoxFactory.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "kernel/NodePath.h"
#include "platform/Cp1252.h"

#include <QMessageBox>

namespace kernelrequests {

namespace {

// The parts of a request's argument, taken out of it (positions from 1); none when it is no
// list-like node.
NodeArray Parts(NodePtr argument) {
    NodeArray parts;
    parts.FromList(std::move(argument));
    return parts;
}

// The items of a part when it is a list; an empty array otherwise (also for no part).
NodeArray ListItems(NodePtr part) {
    NodeArray items;
    if (part && part->TypeTag() == ::TypeTag("lisN")) items.FromList(std::move(part));
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
    NodeArray parts = Parts(std::move(argument));
    const QString prompt = ItemText(parts, 1);
    BoxList boxes;
    if (NodePtr expression = parts.RemoveAt(2)) expression->BuildBoxes(boxes, 1);
    parts.DeleteAll();

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
    NodeArray parts = Parts(std::move(argument));
    const QString prompt = ItemText(parts, 1);
    NodeArray options;
    options.FromList(parts.RemoveAt(2));
    parts.DeleteAll();
    KernelQueryDialog dialog(owner, prompt, std::move(options));
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return dialog.TakeChosen();
}

NodePtr ChooseItems(QWidget* owner, NodePtr argument) {
    NodeArray parts = Parts(std::move(argument));
    const QString prompt = ItemText(parts, 1);
    const QString left = ItemText(parts, 2);
    const QString right = ItemText(parts, 3);
    // The last part first: taking a part out moves those after it up.
    NodeArray chosen = ListItems(parts.RemoveAt(5));
    NodeArray available = ListItems(parts.RemoveAt(4));
    parts.DeleteAll();
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
