#include "app/ConstantsPalette.h"

#include "document/KernelSession.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSignalBlocker>

namespace {
constexpr int32_t kColumns = 13;
constexpr char kInitiallyConstant[] = {'C', 'E', 'I', 'c', 'e', 'i'};
} // namespace

ConstantsPalette::ConstantsPalette(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Constants"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int32_t id = kFirstId; id <= kLastId; ++id) {
        const int32_t index = id - kFirstId;
        auto* box = new QCheckBox(QString(QLatin1Char(LetterOfId(id))), this);
        box->setObjectName(QStringLiteral("constant%1").arg(id));
        m_boxes[index] = box;
        // Capitals fill the first two rows, small letters the two below.
        const int32_t group = index / 26;
        const int32_t inGroup = index % 26;
        grid->addWidget(box, group * 2 + inGroup / kColumns, inGroup % kColumns);
        connect(box, &QCheckBox::clicked, this,
                [this, id](bool checked) { OnClicked(id, checked); });
    }
    for (char letter : kInitiallyConstant)
        SetLetterCheck(letter, true);
}

char ConstantsPalette::LetterOfId(int32_t id) {
    if (id < kFirstId || id > kLastId) return 0;
    const int32_t index = id - kFirstId;
    return static_cast<char>(index < 26 ? 'A' + index : 'a' + (index - 26));
}

int32_t ConstantsPalette::IdOfLetter(char letter) {
    if (letter >= 'A' && letter <= 'Z') return kFirstId + (letter - 'A');
    if (letter >= 'a' && letter <= 'z') return kFirstId + 26 + (letter - 'a');
    return 0;
}

QCheckBox* ConstantsPalette::Box(int32_t id) const {
    return id >= kFirstId && id <= kLastId ? m_boxes[id - kFirstId] : nullptr;
}

void ConstantsPalette::SetLetterCheck(char letter, bool checked) {
    if (QCheckBox* box = Box(IdOfLetter(letter))) {
        QSignalBlocker quiet(box);
        box->setChecked(checked);
    }
}

bool ConstantsPalette::IsLetterChecked(char letter) const {
    QCheckBox* box = Box(IdOfLetter(letter));
    return box != nullptr && box->isChecked();
}

void ConstantsPalette::OnClicked(int32_t id, bool checked) {
    // A kernel that is gone or still busy cannot take the change: undo the click.
    if (!IsKernelConnected() || IsKernelBusy()) {
        SetLetterCheck(LetterOfId(id), !checked);
        return;
    }
    gKernelSession->SetConstant(LetterOfId(id), checked);
}
