// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotSupport.h"

#include <QCoreApplication>
#include <QDir>
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

} // namespace ScreenshotSupport
