#include "app/LinkDialog.h"

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "app/DialogButtons.h"
#include "document/LinkComp.h"
#include "platform/Cp1252.h"

#include <QFormLayout>
#include <QLineEdit>

namespace {

QLineEdit* NewField(QWidget* parent, const Str255& text) {
    auto* field = new QLineEdit(platform::FromCp1252(text.View()), parent);
    field->setMaxLength(255);
    return field;
}

Str255 FieldText(const QLineEdit* field) {
    return Str255(platform::ToCp1252(field->text()));
}

} // namespace

LinkDialog::LinkDialog(QWidget* parent, const Str255& target, const Str255& shown)
    : QDialog(parent), m_target(NewField(this, target)), m_shown(NewField(this, shown)) {
    setWindowTitle(QStringLiteral("Link Properties"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("URL"), m_target);
    layout->addRow(QStringLiteral("Text to display"), m_shown);
    layout->addRow(OkCancel(this));
}

Str255 LinkDialog::Target() const {
    return FieldText(m_target);
}

Str255 LinkDialog::ShownText() const {
    return FieldText(m_shown);
}

bool LinkComp::EditDialog(QWidget* parent) {
    LinkDialog dialog(parent, m_target, m_shown);
    if (dialog.exec() != QDialog::Accepted) return false;
    // A calculation that began while the dialog was open owns the document until it ends.
    if (const auto* view = dynamic_cast<const BaseView*>(parent); view && !view->CanEdit())
        return false;
    SetTexts(dialog.Target(), dialog.ShownText());
    return true;
}

LinkElement::LinkElement()
    : m_registration(ElementBuilders::Instance().Register(
          cmd::kElementLink, [](BaseView& view) -> OwnedComponent {
              auto link = std::make_unique<LinkComp>();
              if (!link->EditDialog(&view)) return nullptr;
              return OwnedComponent(link.release());
          })) {}
