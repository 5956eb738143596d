// The command line: a document, the print option, and what is refused.

#include "app/CommandLine.h"

#include "app/TessaryApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

namespace {

using Action = CommandLine::Action;

struct Row {
    const char* name;
    QStringList arguments;
    Action action;
    QString path;
    bool error;
};

TEST(CommandLineTest, ParsesDocumentsAndThePrintOption) {
    const Row rows[] = {
        {"nothing", {}, Action::NewDocument, QString(), false},
        {"a document", {"notes.tsy"}, Action::Open, "notes.tsy", false},
        {"an absolute path", {"/home/a/p.tsy"}, Action::Open, "/home/a/p.tsy", false},
        {"print", {"-p", "notes.tsy"}, Action::Print, "notes.tsy", false},
        {"print, slash form", {"/p", "notes.tsy"}, Action::Print, "notes.tsy", false},
        {"print after the name", {"notes.tsy", "-P"}, Action::Print, "notes.tsy", false},
        {"print without a document", {"-p"}, Action::Print, QString(), true},
        {"unknown option", {"-x", "notes.tsy"}, Action::NewDocument, QString(), true},
        {"two documents", {"a.tsy", "b.tsy"}, Action::Open, "a.tsy", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandLine line = ParseCommandLine(row.arguments);
        EXPECT_EQ(line.action, row.action);
        EXPECT_EQ(line.path, row.path);
        EXPECT_EQ(!line.error.isEmpty(), row.error);
    }
}

TEST(CommandLineTest, PrintingAMissingDocumentFailsWithoutAWindow) {
    TessaryApp app;
    std::vector<QString> messages;
    app.SetMessageSink([&](const QString& text) { messages.push_back(text); });
    EXPECT_FALSE(app.InitInstance({"-p", "missing.tsy"}));
    EXPECT_NE(app.ExitCode(), 0);
    EXPECT_EQ(app.MainWindow(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("missing.tsy")));
    EXPECT_NE(app.ExitInstance(), 0);
}

TEST(CommandLineTest, WrongOptionEndsStartUpWithAMessage) {
    TessaryApp app;
    std::vector<QString> messages;
    app.SetMessageSink([&](const QString& text) { messages.push_back(text); });
    EXPECT_FALSE(app.InitInstance({"--frobnicate"}));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_NE(app.ExitInstance(), 0);
}

} // namespace
