// SPDX-License-Identifier: GPL-3.0-or-later
// The windows at scale 2, as on a 3840 × 2160 screen whose desktop doubles everything: the
// editor's toolbar, the welcome steps' icons and the connections window's symbols must be drawn
// at the screen's pixels, not enlarged from pictures of half the size.

#include "RunConfiguration.h"
#include "ScreenshotSupport.h"
#include "ui/app/App.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool editor(App &app)
{
    app.showEditor();
    ScreenshotSupport::settle(500);
    const bool saved = ScreenshotSupport::save(app.editorWindow(), QStringLiteral("editor-scale2"));
    app.editorWindow()->close();
    return saved;
}

bool connections(App &app)
{
    app.showConnections();
    ScreenshotSupport::settle(1000);
    const bool saved = ScreenshotSupport::save(app.connectionsWindow(), QStringLiteral("connections-scale2"));
    app.connectionsWindow()->close();
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir scratch;
    // One screen of 3840 × 2160 at scale 2.
    ScreenshotSupport::useOneScreen(scratch.path(), QSize(3840, 2160));
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
    qputenv("TESSARINE_SCREENS", QFile::encodeName(scratch.filePath(QStringLiteral("screens"))));
    qputenv("PATH", QFile::encodeName(scratch.path()));

    App app(TestSupport::configuration());
    bool ok = editor(app);
    ok = ScreenshotSupport::saveWelcomeSteps(app, QStringLiteral("welcome-scale2-step")) && ok;
    ok = connections(app) && ok;
    return ok ? 0 : 1;
}
