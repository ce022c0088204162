#include "platform/Paths.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "Settings: " << Paths::settingsFile() << "\nScreens: " << Paths::screensDir() << "\n";
    return 0;
}
