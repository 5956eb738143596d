#pragma once

// The "Link Properties" dialog: the link's target ("URL") and shown text ("Text to display"),
// each at most 255 characters, and the Link Element command, which makes a new link through the
// dialog. The dialog is the editor program's side of `LinkComp::EditDialog`.

#include "app/ElementBuilders.h"
#include "document/Str255.h"

#include <QDialog>

class QLineEdit;

class LinkDialog final : public QDialog {
public:
    LinkDialog(QWidget* parent, const Str255& target, const Str255& shown);

    Str255 Target() const;
    Str255 ShownText() const;

    QLineEdit* TargetEdit() const { return m_target; }
    QLineEdit* ShownEdit() const { return m_shown; }

private:
    QLineEdit* m_target;
    QLineEdit* m_shown;
};

// The Link Element command (and its button) for the life of the object: a new link with empty
// texts goes through the dialog, and nothing is inserted when it is cancelled.
class LinkElement {
public:
    LinkElement();

private:
    ElementBuilders::Registration m_registration;
};
