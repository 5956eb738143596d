#pragma once

// The OK and Cancel row every small settings window ends with.

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

// OK accepts the dialog and, where asked, Cancel rejects it; the row belongs to `dialog`. The
// buttons carry their control ids as object names: OK "1", Cancel "2".
inline QDialogButtonBox* OkCancel(QDialog* dialog, bool cancel = true) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    if (cancel) buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
