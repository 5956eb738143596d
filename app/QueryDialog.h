#pragma once

// The kernel's query window: the kernel's prompt above a math pane that edits the expression
// it asks about, and OK and Cancel below, stacked in a splitter that cannot be moved. It runs
// modal over its owner, which is disabled meanwhile; Return in the pane, or Enter anywhere in
// the window, is OK, and closing the window is Cancel. The selection in the pane when it ends
// is kept for the caller.

#include "document/DocRange.h"

#include <QDialog>

class CTessaryDialogView;
class CompSequence;
class FixedSplitter;
class QLabel;
class QPushButton;

// The prompt row.
class CPromptPanel final : public QWidget {
public:
    explicit CPromptPanel(QWidget* parent = nullptr);
    void SetPrompt(const QString& prompt);

private:
    QLabel* m_prompt = nullptr;
};

// The button row: OK and Cancel.
class COKPanel final : public QWidget {
public:
    explicit COKPanel(QWidget* parent = nullptr);
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

class COSKQueryDialog final : public QDialog {
public:
    enum Result : int { kFailed = -1, kOk = 1, kCancel = 2 };

    // `content` is shown and edited in the pane; it stays the caller's. Without an owner the
    // application's main window owns the window.
    COSKQueryDialog(QWidget* owner, const QString& prompt, CompSequence& content);
    ~COSKQueryDialog() override;

    // Shows the window centred over its owner and waits: kOk, kCancel, or kFailed when the
    // wait ended by an exception.
    int RunModal();
    // The pane's selection when the window ended.
    const DocRange& FinalSelection() const { return m_finalSelection; }

    CTessaryDialogView* View() const { return m_view; }
    CPromptPanel* PromptPanel() const { return m_promptPanel; }
    COKPanel* ButtonPanel() const { return m_okPanel; }

    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    FixedSplitter* m_splitter = nullptr;
    CPromptPanel* m_promptPanel = nullptr;
    CTessaryDialogView* m_view = nullptr;
    COKPanel* m_okPanel = nullptr;
    DocRange m_finalSelection;
};
