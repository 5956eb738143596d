#pragma once

// The outside programs that judge export files (pdflatex, xmllint, pngcheck): found on the
// path, run in a folder, their exit status and output collected; and the files they read. A
// test whose program is missing skips; CI installs them all.

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <fstream>
#include <string>

namespace exporttest {

struct ToolRun {
    bool found = false;
    int exitCode = -1;
    std::string output; // standard output and error together
};

inline ToolRun RunTool(const char* program, const QStringList& arguments,
                       const std::string& folder) {
    ToolRun run;
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
    if (path.isEmpty()) return run;
    run.found = true;
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(path, arguments);
    process.closeWriteChannel();
    // Waits for the program to end, however long the machine takes.
    process.waitForFinished(-1);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAll().toStdString();
    return run;
}

// A file for a program to read, written whole; answers its path.
inline std::string WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

} // namespace exporttest
