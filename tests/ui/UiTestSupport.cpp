// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiTestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace UiTestSupport {

namespace {

QJsonObject screenJson(const QString &name, const QRect &geometry)
{
    return QJsonObject{{"name", name},
                       {"x", geometry.x()},
                       {"y", geometry.y()},
                       {"width", geometry.width()},
                       {"height", geometry.height()},
                       {"logicalDpi", 96},
                       {"logicalBaseDpi", 96},
                       {"dpr", 1.0}};
}

} // namespace

void useTwoScreens()
{
    const QJsonObject configuration{
        {"synchronousWindowSystemEvents", true},
        {"windowFrameMargins", false},
        {"screens", QJsonArray{screenJson("main", mainScreen), screenJson("second", secondScreen)}}};
    // Every test has a home of its own, thrown away afterwards.
    const QString path = QDir::home().filePath(QStringLiteral("offscreen-screens.json"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(configuration).toJson());
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=" + path.toUtf8()));
}

QImage solidPicture(const QString &look, const QColor &colour)
{
    const bool panel = look == QStringLiteral("panel");
    QImage picture(panel ? QSize(1360, 480) : QSize(4080, 1440),
                   panel ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

void writeScreens(const QString &directory, const QStringList &views, const PictureMaker &picture,
                  const std::optional<QString> &error)
{
    QDir().mkpath(directory);
    const QDir screens(directory);
    QJsonArray viewList;
    for (const QString &view : views) {
        viewList.append(view);
        for (const QString &look : {QStringLiteral("mono"), QStringLiteral("colour")}) {
            for (const bool dark : {false, true}) {
                const QString name = view + '-' + look + (dark ? "-dark.png" : "-light.png");
                picture(view, look, dark).save(screens.filePath(name));
            }
        }
        picture(view, QStringLiteral("panel"), false).save(screens.filePath(view + ".png"));
    }
    QJsonObject manifest{{"ok", !error.has_value()},   {"updatedAt", "2026-03-19T09:15:42.120Z"},
                         {"login", "octocat"},         {"views", viewList},
                         {"titles", QJsonValue::Null}, {"error", error ? QJsonValue(*error) : QJsonValue()}};
    QFile file(screens.filePath(QStringLiteral("manifest.json")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(manifest).toJson());
}

} // namespace UiTestSupport
