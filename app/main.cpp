// The editor program.

#include "app/TessaryApp.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    // Printing from the command line opens no window, so it needs no display either; a platform
    // the user named is kept, an empty name is none.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        if ((platform == nullptr || *platform == '\0') &&
            (std::strcmp(argv[i], "-p") == 0 || std::strcmp(argv[i], "/p") == 0 ||
             std::strcmp(argv[i], "-P") == 0 || std::strcmp(argv[i], "/P") == 0))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    TessaryApp app;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments)) return app.ExitInstance();
    QApplication::exec();
    return app.ExitInstance();
}
