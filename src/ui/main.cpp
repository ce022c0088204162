#include "App.h"
#include "RefreshTest.h"
#include "Snapshot.h"
#include "render/PageRenderer.h"
#include "render/RenderCommand.h"

#include <QApplication>

namespace {

// Wayland gives ordinary windows no say over their place or stacking, so the card runs through
// XWayland when the user has not chosen a platform and an X display exists. The snapshot export
// needs no display at all.
void choosePlatform()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsSet("APP_SNAPSHOT"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char *argv[])
{
    // `tessarine render …` draws pages without the desktop.
    if (argc > 1 && qstrcmp(argv[1], "render") == 0)
        return RenderCommand::run(argc, argv);
    if (RefreshTest::requested())
        return RefreshTest::main(argc, argv);
    choosePlatform();
    PageRenderer::prepareEnvironment();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tessarine"));

    // The model exists from here on, before any of the launch below.
    App app;

    if (qEnvironmentVariableIsSet("APP_SNAPSHOT")) {
        Snapshot::run(app.model(), qEnvironmentVariable("APP_SNAPSHOT"));
        return 0;
    }

    app.finishLaunching(QApplication::arguments());
    return QApplication::exec();
}
