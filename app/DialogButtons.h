#pragma once

// The OK and Cancel row every small settings window ends with.

#include <QDialog>
#include <QDialogButtonBox>

// OK accepts the dialog and Cancel rejects it; the row belongs to `dialog`.
inline QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
