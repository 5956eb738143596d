// The editor program.

#include "app/TessaryApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TessaryApp app;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments)) return app.ExitInstance();
    QApplication::exec();
    return app.ExitInstance();
}
