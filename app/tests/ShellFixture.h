#pragma once

// A started application with a kernel session the test controls, and the helpers the shell's
// tests share.

#include "app/ChildFrame.h"
#include "app/CommandRouter.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/TessaryApp.h"
#include "app/TessaryView.h"
#include "document/CompList.h"
#include "document/KernelSession.h"
#include "document/TypeTag.h"
#include "mathbox/DrawView.h"
#include "mathbox/MathGlyphMap.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPoint>
#include <QScreen>
#include <QSettings>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shelltest {

// A session whose state the test sets, recording what the shell asked of it.
class FakeSession final : public KernelSession {
public:
    bool connected = false;
    bool starting = false;
    bool busy = false;
    bool canStart = true;
    bool remote = false;
    // What the shell asked, in order; shared, so a test can read it after the session is gone.
    std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
    std::vector<std::string>& calls = *log;

    bool IsConnected() const override { return connected && !starting; }
    bool IsStarting() const override { return starting; }
    bool IsBusy() const override { return connected && busy; }
    void ShowMessage(const char* text) override {
        calls.push_back(std::string("ShowMessage: ") + text);
    }
    bool CanStart() const override { return canStart; }
    void Start() override { calls.push_back("Start"); }
    void Quit(bool showMessage) override {
        calls.push_back(showMessage ? "Quit(1)" : "Quit(0)");
        connected = false;
    }
    void Interrupt() override { calls.push_back("Interrupt"); }
    bool IsRemote() const override { return remote; }
    void SetConstant(char letter, bool constant) override {
        calls.push_back(std::string("SetConstant(") + letter + (constant ? ",1)" : ",0)"));
    }
    bool HasOptionDialogs() const override { return true; }
    bool ConnectionOptions(bool) override {
        calls.push_back("ConnectionOptions");
        return true;
    }
    bool CalculationOptions() override {
        calls.push_back("CalculationOptions");
        return true;
    }
    bool TermOrdering() override {
        calls.push_back("TermOrdering");
        return true;
    }
};

// Every test starts from an empty profile (no recent files, no preferences) and an empty
// clipboard.
inline void ClearProfile() {
    QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")).clear();
    QGuiApplication::clipboard()->clear();
}

// The program as tests run it: a fresh profile that launches the kernel program beside it.
inline void LocalKernelProfile() {
    QSettings profile(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    profile.clear();
    profile.setValue(QStringLiteral("Kernel Connection/Kernel"), QStringLiteral("local"));
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfile();
        auto fake = std::make_unique<FakeSession>();
        session = fake.get();
        app = std::make_unique<TessaryApp>(std::move(fake));
        app->SetMessageSink([this](const QString& text) { messages.push_back(text); });
        ASSERT_TRUE(app->InitInstance({}));
        frame = app->MainWindow();
        frame->resize(1000, 700);
        Router().UpdateAll();
    }
    void TearDown() override { app->ExitInstance(); }

    CommandRouter& Router() { return frame->Router(); }
    QAction* Action(int32_t id) { return Router().Action(id); }
    CommandState State(int32_t id) { return Router().Query(id); }
    // Shows the main window as the active one and focuses the document window's view.
    TessaryView* ShowFocusedView() {
        frame->show();
        QApplication::setActiveWindow(frame);
        TessaryView* view = frame->ActiveChild()->View();
        view->setFocus();
        QCoreApplication::processEvents();
        return view;
    }

    FakeSession* session = nullptr;
    std::unique_ptr<TessaryApp> app;
    MainFrame* frame = nullptr;
    std::vector<QString> messages;
};

// The application as the program starts it, with its real kernel session and no scripted
// kernel behaviour; its messages are collected in `messages`. Null when it does not start.
inline std::unique_ptr<TessaryApp> StartProgram(std::vector<QString>& messages) {
    LocalKernelProfile();
    ::unsetenv("TESSARY_STANDIN_SCRIPT");
    auto app = std::make_unique<TessaryApp>();
    app->SetMessageSink([&messages](const QString& text) { messages.push_back(text); });
    if (!app->InitInstance({})) return nullptr;
    return app;
}

// Runs `act` on the application's modal window once one shows: a modal window's own loop
// runs the poll, which `context` owns.
inline void WhenModalOpens(QObject* context, std::function<void(QWidget*)> act) {
    auto* poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act = std::move(act)] {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(window);
    });
    poll->start();
}

// The Symbols command whose button shows `shown`, or 0.
inline int32_t SymbolCommand(char32_t shown) {
    for (int32_t id : SymbolsBarOrder())
        if (MathGlyphCodes[SymbolCode(id)] == shown) return id;
    return 0;
}

// A list's characters as text; '?' for anything else (a box, a picture).
inline std::string LineText(const CompList& list) {
    std::string text;
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        const TextComp* c = list.GetAt(i);
        text += c->GetTypeTag() == tags::Char ? static_cast<char>(c->GetCharCode()) : '?';
    }
    return text;
}

// The first component of the kind in a list, or null.
template <typename Comp>
Comp* FirstOfKind(const CompList& list) {
    for (int32_t i = 1; i <= list.GetCount(); ++i)
        if (auto* comp = dynamic_cast<Comp*>(list.GetAt(i))) return comp;
    return nullptr;
}

// A document point in the view's viewport, where the mouse events go.
inline QPoint InViewport(const DrawView& view, Point p) {
    const Point scroll = view.ScrollOffset();
    return QPoint(p.x - scroll.x, p.y - scroll.y);
}

// What the window shows of a widget: the pixels its window holds, which only a paint reaches.
// A widget's own `grab` paints it afresh, so it would show a drawing the window never got.
inline QImage OnScreen(QWidget& widget) {
    QCoreApplication::processEvents();
    QWidget* window = widget.window();
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    return widget.screen()
        ->grabWindow(window->winId(), at.x(), at.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The keyboard, as the window system delivers it: into the focus widget of the window that has
// the keyboard, wherever that is. False when no window has it: then the keys go nowhere.
inline bool KeyboardTypes(const char* keys) {
    QCoreApplication::processEvents();
    if (QGuiApplication::focusWindow() == nullptr) return false;
    QTest::keyClicks(static_cast<QWidget*>(nullptr), QString::fromUtf8(keys));
    return true;
}
inline bool KeyboardPresses(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QCoreApplication::processEvents();
    if (QGuiApplication::focusWindow() == nullptr) return false;
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
    return true;
}

// A click into a window of its own, as a click-to-focus window manager takes it: the window
// clicked into is activated first, unless it declines the keyboard.
inline void ClickInto(QWidget* widget) {
    QWidget* window = widget->window();
    if (window->windowHandle() != nullptr &&
        !window->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus))
        window->activateWindow();
    QCoreApplication::processEvents();
    QTest::mouseClick(widget, Qt::LeftButton);
    QCoreApplication::processEvents();
}

// Where the pictures a person should look at go: the build's test output folder.
inline QString OutputPath(const QString& name) {
    QDir().mkpath(QStringLiteral(TESSARY_TEST_OUTPUT));
    return QStringLiteral(TESSARY_TEST_OUTPUT) + QLatin1Char('/') + name;
}

} // namespace shelltest
