#pragma once

// The two small windows of the kernel's questions to the user: "choose one of these options"
// and "choose some of these items". Each holds the items it shows, as the kernel sent them,
// until its handler takes the answer out.

#include "expr/NodeArray.h"

#include <QDialog>

#include <memory>

class ListNode;
class QComboBox;
class QListWidget;

// The plain text of the item at `position` (from 1); empty where there is none.
QString ItemText(const NodeArray& items, int32_t position);

// "Kernel Query" with the prompt and a drop-down list of the options; the first is chosen
// when it opens.
class KernelQueryDialog final : public QDialog {
public:
    KernelQueryDialog(QWidget* parent, const QString& prompt, NodeArray options);

    // The 0-based index of the chosen option; -1 when there is none to choose.
    int32_t ChosenIndex() const { return m_chosen; }
    // The chosen option, out of the array; null when no option is chosen.
    NodePtr TakeChosen();

    QComboBox* Options() const { return m_combo; }

private:
    NodeArray m_options;
    int32_t m_chosen = -1;
    QComboBox* m_combo = nullptr;
};

// "Kernel Query" with two lists: the items not chosen on the left, the chosen ones on the
// right. "->" (or a double click on the left) moves the selected item across, "<-" (or a
// double click on the right) moves it back; moved items go to the end of their new list.
class ItemChoiceDialog final : public QDialog {
public:
    ItemChoiceDialog(QWidget* parent, const QString& prompt, const QString& leftLabel,
                     const QString& rightLabel, NodeArray available, NodeArray chosen);

    void MoveToChosen();
    void MoveToAvailable();
    // The chosen items in their order, as a list; the dialog keeps none of them.
    std::unique_ptr<ListNode> TakeChosen();

    QListWidget* AvailableList() const { return m_left; }
    QListWidget* ChosenList() const { return m_right; }

private:
    // Moves the selected entry of `from` (whose items are `fromItems`) to the end of `to`.
    static void Move(QListWidget* from, NodeArray& fromItems, QListWidget* to, NodeArray& toItems);

    NodeArray m_available;
    NodeArray m_chosen;
    QListWidget* m_left = nullptr;
    QListWidget* m_right = nullptr;
};
