#include "app/CommandLine.h"

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        const bool option = word.size() > 1 && (word.startsWith(QLatin1Char('-')) ||
                                                word.startsWith(QLatin1Char('/')));
        if (option && word.mid(1).compare(QLatin1String("p"), Qt::CaseInsensitive) == 0) {
            line.action = CommandLine::Action::Print;
            continue;
        }
        if (option && word.startsWith(QLatin1Char('-'))) {
            line.error = QStringLiteral("Unknown option \"%1\".").arg(word);
            return line;
        }
        if (!line.path.isEmpty()) {
            line.error = QStringLiteral("Only one document can be named.");
            return line;
        }
        line.path = word;
        if (line.action == CommandLine::Action::NewDocument)
            line.action = CommandLine::Action::Open;
    }
    if (line.action == CommandLine::Action::Print && line.path.isEmpty())
        line.error = QStringLiteral("The print option needs a document.");
    return line;
}
