#pragma once

// The kernel's three groups of settings as the editor edits them: the connection ("Connection
// Options"), the calculation preferences ("Calculation Preferences") and the term ordering
// ("Term Ordering" with "Edit Term Priority"), all kept in the application's profile. The
// session below reads them at start-up, runs the dialogs for the Kernel menu's commands, and
// saves and sends what a dialog accepted.

#include "kernel/AppSettings.h"
#include "kernel/KernelSession.h"
#include "kernel/SessionPrefs.h"
#include "kernel/TermOrder.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSettings;

// The file dialog "Locate the Oskaria kernel" (or `ask`, for tests; empty is Cancel), opened
// at `start`: the chosen program's folder, or nothing. The current folder is kept.
std::optional<std::string> AskKernelFolder(QWidget* parent, const std::string& start,
                                           const std::function<QString()>& ask);

// "Connection Options": a local kernel from its folder, or the calculation server with its
// address and account. "Change..." (local only) picks the kernel program's folder.
class ConnectionOptionsDlg final : public QDialog {
public:
    ConnectionOptionsDlg(QWidget* parent, const kernel::AppSettings& settings);

    // The settings as the dialog shows them.
    kernel::AppSettings Settings() const;
    void SetLocal(bool local);
    // Runs the file dialog (or `askKernelFile`); the chosen file's folder becomes the path.
    void ChangePath();
    // Tests answer the file dialog themselves; empty is Cancel.
    std::function<QString()> askKernelFile;

    QLabel* PathLabel() const { return m_path; }
    QRadioButton* LocalButton() const { return m_local; }
    QRadioButton* ServerButton() const { return m_server; }
    QPushButton* ChangeButton() const { return m_change; }
    QLineEdit* HostEdit() const { return m_host; }
    QLineEdit* PortEdit() const { return m_port; }
    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* PasswordEdit() const { return m_password; }

    void accept() override;

private:
    kernel::AppSettings m_settings;
    QLabel* m_path = nullptr;
    QRadioButton* m_local = nullptr;
    QRadioButton* m_server = nullptr;
    QPushButton* m_change = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
};

// "Calculation Preferences": the results' place, the kernel's warnings, the two variables (at
// most 31 characters) and the precision (at most two characters of an integer).
class CalculationOptionsDlg final : public QDialog {
public:
    static constexpr const char* kIntegerMessage = "Please enter an integer.";

    CalculationOptionsDlg(QWidget* parent, const kernel::SessionPrefs& prefs);

    // The preferences as the dialog shows them; an empty variable keeps its default.
    kernel::SessionPrefs Prefs() const { return m_prefs; }

    QCheckBox* ResultsAtEnd() const { return m_resultsAtEnd; }
    QCheckBox* ShowWarnings() const { return m_showWarnings; }
    QLineEdit* DefaultVariable() const { return m_defaultVariable; }
    QLineEdit* TransformVariable() const { return m_transformVariable; }
    QLineEdit* Precision() const { return m_precision; }

    // Refuses (staying open, with the message) a precision that is no integer.
    void accept() override;
    // Tests see the refusal here instead of in a message box.
    std::function<void(const QString&)> refuse;

private:
    kernel::SessionPrefs m_prefs;
    QCheckBox* m_resultsAtEnd = nullptr;
    QCheckBox* m_showWarnings = nullptr;
    QLineEdit* m_defaultVariable = nullptr;
    QLineEdit* m_transformVariable = nullptr;
    QLineEdit* m_precision = nullptr;
};

// "Edit Term Priority": a one-character symbol and a priority of 0 to 254. The stored ordering
// marks a letter without priority by 255, so a priority of 255 could not be kept as shown.
class EditTermPriorityDlg final : public QDialog {
public:
    static constexpr int kMaxPriority = 254;
    static constexpr const char* kRangeMessage = "Please enter an integer between 0 and 254.";
    // %1 is the symbol.
    static constexpr const char* kTakenMessage =
        "The symbol %1 is already in the list. Edit its own entry to change its priority.";

    // OK refuses a symbol whose character is one of `taken`, the letters of the other entries.
    EditTermPriorityDlg(QWidget* parent, const QString& symbol, int priority,
                        std::string taken = {});

    std::string Symbol() const;
    uint8_t Priority() const { return m_value; }
    QLineEdit* SymbolEdit() const { return m_symbol; }
    QLineEdit* PriorityEdit() const { return m_priority; }

    void accept() override;
    std::function<void(const QString&)> refuse;

private:
    QLineEdit* m_symbol = nullptr;
    QLineEdit* m_priority = nullptr;
    uint8_t m_value = 0;
    std::string m_taken;
};

// "Term Ordering" over a record, which it edits in place.
class TermOrderDialog final : public QDialog {
public:
    struct Services {
        // The profile for Use Defaults and Make Default.
        QSettings* profile = nullptr;
        // The kernel's default ordering.
        std::function<kernel::TermOrder()> kernelDefaults;
        // Runs Edit Term Priority; answers whether it was accepted.
        std::function<bool(EditTermPriorityDlg&)> runEdit;
    };

    // Make Default refuses an ordering that would not read back as the list shows it.
    static constexpr const char* kNotSavedMessage =
        "This ordering can not be made the default: it lists a symbol twice or gives one the "
        "priority 255.";

    TermOrderDialog(QWidget* parent, kernel::TermOrder& order, Services services);

    // True only on OK after a change.
    bool Changed() const { return m_changed; }

    void SortByVariable();
    void SortByPriority();
    void New();
    void Edit();
    void Delete();
    // The saved ordering, or the kernel's when none is saved or `kernelsOwn` (Control held).
    void UseDefaults(bool kernelsOwn);
    void MakeDefault();

    QListWidget* List() const { return m_list; }
    QCheckBox* UseOrdering() const { return m_useOrdering; }
    QCheckBox* ConstantsToBack() const { return m_constantsToBack; }
    // Shows a refusal; a message box when unset.
    std::function<void(const QString&)> refuse;

private:
    void Rebuild(int selectRow);
    void ShowFlags();

    kernel::TermOrder& m_order;
    Services m_services;
    bool m_changed = false;
    QListWidget* m_list = nullptr;
    QCheckBox* m_useOrdering = nullptr;
    QCheckBox* m_constantsToBack = nullptr;
};

// The program's session: the kernel session with its settings read from the profile and its
// option commands.
class ProfiledSession final : public kernel::KernelSession {
public:
    ProfiledSession(kernel::SessionHost& host, std::function<QWidget*()> parent,
                    std::function<QSettings*()> profile);

    // Reads the connection (a profile that holds nothing yet is given the local kernel), the
    // calculation preferences and the saved ordering.
    void LoadProfile();

    // A local kernel that is not where the settings say is first looked for with the file
    // dialog; Cancel there ends the start with "Can not locate the Oskaria kernel.".
    void Start() override;
    using kernel::KernelSession::Start;
    // Tests answer that file dialog themselves; empty is Cancel.
    std::function<QString()> askKernelFile;

    bool HasOptionDialogs() const override { return true; }
    bool ConnectionOptions(bool socketsReady) override;
    bool CalculationOptions() override;
    bool TermOrdering() override;

    // Runs a dialog modally; tests answer it themselves.
    std::function<int(QDialog&)> runDialog;

private:
    int Run(QDialog& dialog);
    // The saved ordering goes with the preferences of every later start.
    void KeepSavedOrdering();

    std::function<QWidget*()> m_parent;
    std::function<QSettings*()> m_profile;
    kernel::AppSettings m_appSettings;
};
