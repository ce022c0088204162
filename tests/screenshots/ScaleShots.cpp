// SPDX-License-Identifier: GPL-3.0-or-later
// The windows at scale 2, as on a 3840 × 2160 screen whose desktop doubles everything: the
// editor's toolbar, the welcome steps' icons and the connections window's symbols must be drawn
// at the screen's pixels, not enlarged from pictures of half the size.

#include "ScreenshotSupport.h"
#include "ui/app/App.h"
#include "ui/welcome/OnboardingView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int waitMs = 20000;

// One offscreen screen of 3840 × 2160 at scale 2; set before the application exists.
void useDoubleScale(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("large-screen.json"));
    QFile config(path);
    if (config.open(QIODevice::WriteOnly))
        config.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 3840, "height": 2160,
                         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toUtf8());
    qputenv("QT_SCALE_FACTOR", "2");
}

bool editor(App &app)
{
    app.showEditor();
    ScreenshotSupport::settle(500);
    const bool saved = ScreenshotSupport::save(app.editorWindow(), QStringLiteral("editor-scale2"));
    app.editorWindow()->close();
    return saved;
}

bool welcomeSteps(App &app)
{
    app.showWelcome();
    auto *view = qobject_cast<OnboardingView *>(app.welcomeWindow());
    (void)QTest::qWaitFor([view] { return view->preselected(); }, waitMs);
    bool ok = true;
    for (int step = 0; step < OnboardingView::stepCount; ++step) {
        view->setStep(step);
        ScreenshotSupport::settle();
        ok = ScreenshotSupport::save(view, QStringLiteral("welcome-scale2-step") + QString::number(step)) && ok;
    }
    view->close();
    return ok;
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
    useDoubleScale(scratch.path());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
    qputenv("TESSARINE_SCREENS", QFile::encodeName(scratch.filePath(QStringLiteral("screens"))));
    qputenv("PATH", QFile::encodeName(scratch.path()));

    App app;
    bool ok = editor(app);
    ok = welcomeSteps(app) && ok;
    ok = connections(app) && ok;
    return ok ? 0 : 1;
}
