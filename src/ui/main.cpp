#include "model/FrameModel.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

// Until the desktop card exists, the program shows what it would display: one line per page,
// then where its files live.
void printPagesAndPaths(const FrameModel &model)
{
    QTextStream out(stdout);
    for (const Page &page : model.pages())
        out << (model.catalogue() ? model.catalogue()->title(page) : QStringLiteral("Page")) << '\n';
    out << "Settings: " << model.settingsFile() << '\n' << "Screens: " << model.screensDir() << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const FrameModel model;
    printPagesAndPaths(model);
    return 0;
}
