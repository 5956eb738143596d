#include "app/KernelOptions.h"

#include "app/DialogButtons.h"
#include "kernel/KernelStartup.h"
#include "platform/Cp1252.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit* TextEdit(QWidget* parent, const std::string& text, int maxLength, const char* name) {
    auto* edit = Named(new QLineEdit(platform::FromCp1252(text), parent), name);
    edit->setMaxLength(maxLength);
    return edit;
}

void Refuse(QWidget* dialog, const std::function<void(const QString&)>& refuse,
            const QString& message) {
    if (refuse)
        refuse(message);
    else
        QMessageBox::warning(dialog, dialog->windowTitle(), message);
}

void Refuse(QWidget* dialog, const std::function<void(const QString&)>& refuse,
            const char* message) {
    Refuse(dialog, refuse, QString::fromLatin1(message));
}

// The stored form of a variable: cp1252, and the default where the edit was left empty.
void TakeName(const QLineEdit* edit, Str31& name, const char* fallback) {
    const std::string text = platform::ToCp1252(edit->text());
    name = std::string_view(text.empty() ? std::string(fallback) : text);
}

QString EntryText(const kernel::TermEntry& entry) {
    return (platform::FromCp1252(std::string_view(&entry.letter, 1)) + QStringLiteral(" - ") +
            QString::number(entry.priority))
        .leftJustified(7, QLatin1Char(' '));
}

} // namespace

// ---- Connection Options -------------------------------------------------------------------------

ConnectionOptionsDlg::ConnectionOptionsDlg(QWidget* parent, const kernel::AppSettings& settings)
    : QDialog(parent), m_settings(settings) {
    setObjectName(QStringLiteral("connectionOptions"));
    setWindowTitle(QStringLiteral("Connection Options"));
    m_path = Named(new QLabel(platform::FromCp1252(settings.kernelPath), this), "kernelPath");
    m_local = Named(new QRadioButton(QStringLiteral("Connect to local kernel"), this), "local");
    m_server =
        Named(new QRadioButton(QStringLiteral("Connect to calculation server"), this), "server");
    m_change = Named(new QPushButton(QStringLiteral("Change..."), this), "change");
    m_host = TextEdit(this, settings.serverHost, 255, "host");
    m_port = TextEdit(this, std::to_string(settings.loginPort), 5, "port");
    m_port->setValidator(new QIntValidator(1, 65535, m_port));
    m_user = TextEdit(this, settings.userName, 255, "user");
    m_password = TextEdit(this, settings.password, 255, "password");
    m_password->setEchoMode(QLineEdit::Password);

    connect(m_local, &QRadioButton::clicked, this, [this] { SetLocal(true); });
    connect(m_server, &QRadioButton::clicked, this, [this] { SetLocal(false); });
    connect(m_change, &QPushButton::clicked, this, [this] { ChangePath(); });

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_change);
    auto* server = new QFormLayout;
    server->addRow(QStringLiteral("Server:"), m_host);
    server->addRow(QStringLiteral("Port:"), m_port);
    server->addRow(QStringLiteral("User name:"), m_user);
    server->addRow(QStringLiteral("Password:"), m_password);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_local);
    layout->addLayout(pathRow);
    layout->addWidget(m_server);
    layout->addLayout(server);
    layout->addWidget(OkCancel(this));
    SetLocal(settings.useLocalKernel);
    setMinimumWidth(360);
}

void ConnectionOptionsDlg::SetLocal(bool local) {
    m_settings.useLocalKernel = local;
    m_local->setChecked(local);
    m_server->setChecked(!local);
    m_change->setEnabled(local);
}

std::optional<std::string> AskKernelFolder(QWidget* parent, const std::string& start,
                                           const std::function<QString()>& ask) {
    const QString current = QDir::currentPath();
    const QString file =
        ask ? ask()
            : QFileDialog::getOpenFileName(
                  parent, QStringLiteral("Locate the Oskaria kernel"),
                  QDir(platform::FromCp1252(start))
                      .filePath(QLatin1String(kernel::ConnectionSettings::kKernelProgram)),
                  QStringLiteral("Executable files (*.exe)"));
    QDir::setCurrent(current);
    if (file.isEmpty()) return std::nullopt;
    return platform::ToCp1252(QFileInfo(file).absolutePath());
}

void ConnectionOptionsDlg::ChangePath() {
    const std::optional<std::string> folder =
        AskKernelFolder(this, m_settings.kernelPath, askKernelFile);
    if (!folder) return;
    m_settings.kernelPath = *folder;
    m_path->setText(platform::FromCp1252(m_settings.kernelPath));
}

kernel::AppSettings ConnectionOptionsDlg::Settings() const {
    return m_settings;
}

void ConnectionOptionsDlg::accept() {
    const std::string host = platform::ToCp1252(m_host->text().trimmed());
    if (!host.empty()) m_settings.serverHost = host;
    bool ok = false;
    const int port = m_port->text().toInt(&ok);
    if (ok && port > 0 && port <= 65535) m_settings.loginPort = static_cast<uint16_t>(port);
    m_settings.userName = platform::ToCp1252(m_user->text());
    m_settings.password = platform::ToCp1252(m_password->text());
    QDialog::accept();
}

// ---- Calculation Preferences --------------------------------------------------------------------

CalculationOptionsDlg::CalculationOptionsDlg(QWidget* parent, const kernel::SessionPrefs& prefs)
    : QDialog(parent), m_prefs(prefs) {
    setObjectName(QStringLiteral("calculationOptions"));
    setWindowTitle(QStringLiteral("Calculation Preferences"));
    m_resultsAtEnd = Named(new QCheckBox(QStringLiteral("Put results at end"), this), "atEnd");
    m_resultsAtEnd->setChecked(prefs.resultsAtEnd);
    m_showWarnings = Named(new QCheckBox(QStringLiteral("Show kernel warnings"), this), "warnings");
    m_showWarnings->setChecked(prefs.showWarnings);
    m_defaultVariable =
        TextEdit(this, std::string(prefs.defaultVariable.View()), 31, "defaultVariable");
    m_transformVariable =
        TextEdit(this, std::string(prefs.transformVariable.View()), 31, "transformVariable");
    m_precision = TextEdit(this, std::to_string(prefs.precision), 2, "precision");
    m_precision->setValidator(new QIntValidator(-9, 99, m_precision));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Default variable:"), m_defaultVariable);
    form->addRow(QStringLiteral("Transform variable:"), m_transformVariable);
    form->addRow(QStringLiteral("Precision:"), m_precision);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_resultsAtEnd);
    layout->addWidget(m_showWarnings);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

void CalculationOptionsDlg::accept() {
    // The edit holds at most two characters, so a longer number never gets this far.
    bool ok = false;
    const QString text = m_precision->text();
    const int precision = text.toInt(&ok);
    if (!ok || text.size() > 2) {
        Refuse(this, refuse, kIntegerMessage);
        return;
    }
    m_prefs.resultsAtEnd = m_resultsAtEnd->isChecked();
    m_prefs.showWarnings = m_showWarnings->isChecked();
    TakeName(m_defaultVariable, m_prefs.defaultVariable, "x");
    TakeName(m_transformVariable, m_prefs.transformVariable, "xi");
    m_prefs.precision = precision;
    QDialog::accept();
}

// ---- Edit Term Priority -------------------------------------------------------------------------

EditTermPriorityDlg::EditTermPriorityDlg(QWidget* parent, const QString& symbol, int priority,
                                         std::string taken)
    : QDialog(parent), m_taken(std::move(taken)) {
    setObjectName(QStringLiteral("editTermPriority"));
    setWindowTitle(QStringLiteral("Edit Term Priority"));
    m_symbol = Named(new QLineEdit(symbol, this), "symbol");
    m_symbol->setMaxLength(1);
    m_priority = Named(new QLineEdit(QString::number(priority), this), "priority");
    m_priority->setMaxLength(3);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Symbol:"), m_symbol);
    form->addRow(QStringLiteral("Priority:"), m_priority);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

std::string EditTermPriorityDlg::Symbol() const {
    return platform::ToCp1252(m_symbol->text());
}

void EditTermPriorityDlg::accept() {
    const std::string symbol = Symbol();
    if (!symbol.empty() && m_taken.find(symbol[0]) != std::string::npos) {
        Refuse(this, refuse, QString::fromLatin1(kTakenMessage).arg(m_symbol->text()));
        m_symbol->setFocus();
        m_symbol->selectAll();
        return;
    }
    bool ok = false;
    const uint value = m_priority->text().toUInt(&ok);
    if (!ok || value > kMaxPriority) {
        Refuse(this, refuse, kRangeMessage);
        return;
    }
    m_value = static_cast<uint8_t>(value);
    QDialog::accept();
}

// ---- Term Ordering ------------------------------------------------------------------------------

TermOrderDialog::TermOrderDialog(QWidget* parent, kernel::TermOrder& order, Services services)
    : QDialog(parent), m_order(order), m_services(std::move(services)) {
    setObjectName(QStringLiteral("termOrdering"));
    setWindowTitle(QStringLiteral("Term Ordering"));
    m_list = Named(new QListWidget(this), "terms");
    m_useOrdering =
        Named(new QCheckBox(QStringLiteral("Reorder terms in results"), this), "useOrdering");
    m_constantsToBack =
        Named(new QCheckBox(QStringLiteral("Move C terms to back"), this), "constantsToBack");
    connect(m_useOrdering, &QCheckBox::clicked, this, [this](bool on) {
        m_order.useOrdering = on;
        m_changed = true;
    });
    connect(m_constantsToBack, &QCheckBox::clicked, this, [this](bool on) {
        m_order.constantsToBack = on;
        m_changed = true;
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Edit(); });

    auto* buttons = new QGridLayout;
    const struct {
        const char* text;
        const char* name;
        std::function<void()> act;
    } actions[] = {
        {"Sort by Variable", "sortByVariable", [this] { SortByVariable(); }},
        {"Sort by Priority", "sortByPriority", [this] { SortByPriority(); }},
        {"New...", "new", [this] { New(); }},
        {"Edit...", "edit", [this] { Edit(); }},
        {"Delete", "delete", [this] { Delete(); }},
        {"Use Defaults", "useDefaults",
         [this] {
             UseDefaults(QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier));
         }},
        {"Make Default", "makeDefault", [this] { MakeDefault(); }},
    };
    int row = 0;
    for (const auto& action : actions) {
        auto* button = Named(new QPushButton(QString::fromLatin1(action.text), this), action.name);
        connect(button, &QPushButton::clicked, this, action.act);
        buttons->addWidget(button, row / 2, row % 2);
        ++row;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    layout->addWidget(m_useOrdering);
    layout->addWidget(m_constantsToBack);
    layout->addWidget(OkCancel(this));
    ShowFlags();
    Rebuild(0);
}

void TermOrderDialog::ShowFlags() {
    m_useOrdering->setChecked(m_order.useOrdering);
    m_constantsToBack->setChecked(m_order.constantsToBack);
}

void TermOrderDialog::Rebuild(int selectRow) {
    m_list->clear();
    for (const kernel::TermEntry& entry : m_order.entries)
        m_list->addItem(EntryText(entry));
    if (m_list->count() > 0) m_list->setCurrentRow(std::clamp(selectRow, 0, m_list->count() - 1));
}

void TermOrderDialog::SortByVariable() {
    m_order.SortByVariable();
    Rebuild(m_list->currentRow());
}

void TermOrderDialog::SortByPriority() {
    m_order.SortByPriority();
    Rebuild(m_list->currentRow());
}

void TermOrderDialog::New() {
    EditTermPriorityDlg edit(this, QString(), 0);
    if (!m_services.runEdit(edit)) return;
    if (!m_order.Add(edit.Symbol(), edit.Priority())) return;
    m_changed = true;
    Rebuild(m_list->currentRow());
}

void TermOrderDialog::Edit() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_order.Count()) return;
    const kernel::TermEntry& entry = m_order.entries[static_cast<std::size_t>(row)];
    std::string others;
    for (const kernel::TermEntry& other : m_order.entries)
        if (&other != &entry) others += other.letter;
    EditTermPriorityDlg edit(this, platform::FromCp1252(std::string_view(&entry.letter, 1)),
                             entry.priority, std::move(others));
    if (!m_services.runEdit(edit)) return;
    if (!m_order.Edit(row, edit.Symbol(), edit.Priority())) return;
    m_changed = true;
    Rebuild(row);
}

void TermOrderDialog::Delete() {
    if (!m_order.Remove(m_list->currentRow())) return;
    m_changed = true;
    Rebuild(0);
}

void TermOrderDialog::UseDefaults(bool kernelsOwn) {
    kernel::TermOrder saved;
    if (!kernelsOwn && m_services.profile && saved.Load(*m_services.profile))
        m_order = saved;
    else if (m_services.kernelDefaults)
        m_order = m_services.kernelDefaults();
    m_changed = true;
    ShowFlags();
    Rebuild(0);
}

void TermOrderDialog::MakeDefault() {
    if (m_services.profile && !m_order.Save(*m_services.profile))
        Refuse(this, refuse, kNotSavedMessage);
}

// ---- The session's commands ---------------------------------------------------------------------

ProfiledSession::ProfiledSession(kernel::SessionHost& host, std::function<QWidget*()> parent,
                                 std::function<QSettings*()> profile)
    : kernel::KernelSession(host), m_parent(std::move(parent)), m_profile(std::move(profile)) {}

void ProfiledSession::LoadProfile() {
    QSettings* profile = m_profile();
    if (!profile) return;
    m_appSettings.LoadOrCreate(*profile);
    SetConnectionSettings(m_appSettings.Apply(Settings()));
    SetPrefs(kernel::SessionPrefs(*profile));
    KeepSavedOrdering();
}

void ProfiledSession::KeepSavedOrdering() {
    kernel::TermOrder saved;
    if (QSettings* profile = m_profile(); profile && saved.Load(*profile))
        SetSavedOrdering(saved.ToListNode(), saved.constantsToBack);
    else
        SetSavedOrdering(nullptr, true);
}

void ProfiledSession::Start() {
    if (IsStarting() || IsConnected()) return;
    std::string failure;
    if (Settings().useLocalKernel && !kernel::KernelStartup::LocateKernel(Settings(), failure)) {
        // The program is not where the settings say: the person shows where it is, and the
        // place is kept for the starts that follow.
        const std::optional<std::string> folder =
            AskKernelFolder(m_parent(), m_appSettings.kernelPath, askKernelFile);
        if (!folder) {
            ShowMessage(kernel::KernelStartup::kCannotLocate);
            return;
        }
        m_appSettings.kernelPath = *folder;
        if (QSettings* profile = m_profile()) m_appSettings.Save(*profile);
        SetConnectionSettings(m_appSettings.Apply(Settings()));
    }
    kernel::KernelSession::Start();
}

int ProfiledSession::Run(QDialog& dialog) {
    return runDialog ? runDialog(dialog) : dialog.exec();
}

bool ProfiledSession::ConnectionOptions(bool /*socketsReady*/) {
    ConnectionOptionsDlg dialog(m_parent(), m_appSettings);
    if (Run(dialog) != QDialog::Accepted) return true;
    m_appSettings = dialog.Settings();
    if (QSettings* profile = m_profile()) m_appSettings.Save(*profile);
    SetConnectionSettings(m_appSettings.Apply(Settings()));
    return true;
}

bool ProfiledSession::CalculationOptions() {
    CalculationOptionsDlg dialog(m_parent(), Prefs());
    if (Run(dialog) != QDialog::Accepted) return true;
    SetPrefs(dialog.Prefs());
    // Kept, so that the next start of the editor calculates the same way.
    if (QSettings* profile = m_profile()) Prefs().Save(*profile);
    SetSessionPrefs();
    return true;
}

bool ProfiledSession::TermOrdering() {
    if (CheckBusy()) return false;
    const NodePtr current = GetSortPriorities(false);
    kernel::TermOrder order = kernel::TermOrder::FromAnswer(current.get(), ConstantsToBack());
    TermOrderDialog::Services services;
    services.profile = m_profile();
    services.kernelDefaults = [this] {
        const NodePtr answer = GetSortPriorities(true);
        return kernel::TermOrder::FromAnswer(answer.get(), ConstantsToBack());
    };
    services.runEdit = [this](EditTermPriorityDlg& edit) { return Run(edit) == QDialog::Accepted; };
    TermOrderDialog dialog(m_parent(), order, std::move(services));
    const bool accepted = Run(dialog) == QDialog::Accepted;
    // Make Default may have saved a new ordering, whether or not the dialog was accepted.
    KeepSavedOrdering();
    if (accepted && dialog.Changed()) SetSortPriorities(order.ToListNode(), order.constantsToBack);
    return true;
}
