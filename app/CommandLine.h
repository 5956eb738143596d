#pragma once

// The program's command line: nothing (a new document), a document to open, or the print
// option with a document ("-p" or "/p"), which prints it without a window and ends.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { NewDocument, Open, Print };
    Action action = Action::NewDocument;
    QString path;
    // Set when the arguments make no sense; the program says it and ends.
    QString error;
};

// `arguments` without the program name.
CommandLine ParseCommandLine(const QStringList& arguments);
