// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotSupport.h"

#include "ui/app/App.h"
#include "ui/welcome/OnboardingView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTest>
#include <QTextStream>
#include <QWidget>

namespace ScreenshotSupport {

QString outputDir()
{
    const QStringList arguments = QCoreApplication::arguments();
    const QString dir = arguments.size() > 1 ? arguments.at(1) : QDir::currentPath();
    QDir().mkpath(dir);
    return dir;
}

void settle(int milliseconds)
{
    QCoreApplication::processEvents();
    QTest::qWait(milliseconds);
}

bool save(QWidget *widget, const QString &name)
{
    const QString path = QDir(outputDir()).filePath(name + QStringLiteral(".png"));
    const bool saved = widget->grab().save(path);
    QTextStream(saved ? stdout : stderr) << (saved ? "" : "could not write ") << path << '\n';
    return saved;
}

void useOneScreen(const QString &folder, QSize size)
{
    const QString path = QDir(folder).filePath(QStringLiteral("screen.json"));
    QFile config(path);
    if (config.open(QIODevice::WriteOnly))
        config.write(QStringLiteral(R"({"screens": [{"name": "only", "x": 0, "y": 0, "width": %1, "height": %2,
                         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                         .arg(size.width())
                         .arg(size.height())
                         .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=" + path.toUtf8()));
}

bool saveWelcomeSteps(App &app, const QString &prefix)
{
    app.showWelcome();
    auto *view = qobject_cast<OnboardingView *>(app.welcomeWindow());
    (void)QTest::qWaitFor([view] { return view->preselected(); }, 20000);
    bool ok = true;
    for (int step = 0; step < OnboardingView::stepCount; ++step) {
        view->setStep(step);
        settle();
        ok = save(view, prefix + QString::number(step)) && ok;
    }
    view->close();
    return ok;
}

} // namespace ScreenshotSupport
