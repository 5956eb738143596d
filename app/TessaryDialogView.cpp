#include "app/TessaryDialogView.h"

#include "document/CompSequence.h"
#include "document/DocRange.h"
#include "document/EditCodes.h"

CTessaryDialogView::CTessaryDialogView(QWidget* parent) : BaseView(parent) {
    setObjectName(QStringLiteral("queryView"));
}

void CTessaryDialogView::SetContent(CompSequence& content) {
    AttachPage(content);
}

void CTessaryDialogView::OnChar(const KeyInput& key) {
    const DocRange selection = GetSelection();
    if (Page() == nullptr || selection.start.kind == DocPos::kNone) return;
    switch (selection.KeyToCommand(key.code, key.shift, key.ctrl)) {
    case editcode::kSplitParagraph:
    case editcode::kSplitParagraphFlagged:
        if (m_onReturn) m_onReturn();
        return;
    case editcode::kJoinWithPrevious:
    case editcode::kInsertTab:
        return;
    case editcode::kInsertCharacter:
        if (key.code == '\n') {
            KeyInput blank = key;
            blank.code = ' ';
            BaseView::OnChar(blank);
            return;
        }
        break;
    default:
        break;
    }
    BaseView::OnChar(key);
}
