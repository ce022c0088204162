// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshSupport.h"

#include "FakeTools.h"
#include "TestSupport.h"
#include "model/FrameModel.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace RefreshSupport {

bool startRefreshCase(const QTemporaryDir &dir)
{
    if (!FakeTools::isolated() || !dir.isValid())
        return false;
    qputenv("TESSARINE_SCREENS", dir.filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("refresh/views")).toUtf8());
    TestSupport::clearDefaults();
    FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    FakeTools::remove(QStringLiteral("gh"));
    return true;
}

QJsonObject page(const QString &layout, std::initializer_list<const char *> slotIds, const QString &title)
{
    QJsonArray slotArray;
    for (const char *slot : slotIds)
        slotArray.append(slot ? QJsonValue(QString::fromUtf8(slot)) : QJsonValue(QJsonValue::Null));
    QJsonObject record{{"layout", layout}, {"slots", slotArray}};
    if (!title.isEmpty())
        record.insert("title", title);
    return record;
}

void writeSettings(const QString &screensDir, const QJsonArray &pages, const QStringList &providers)
{
    const QJsonObject settings{{"providers", QJsonArray::fromStringList(providers)}, {"logos", true}, {"pages", pages}};
    const QString path = QFileInfo(screensDir).dir().filePath(QStringLiteral("settings.json"));
    QDir().mkpath(QFileInfo(path).path());
    TestSupport::writeFile(path, QJsonDocument(settings).toJson());
}

QJsonObject readObject(const QString &path)
{
    return QJsonDocument::fromJson(TestSupport::readFile(path)).object();
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
    return condition();
}

bool waitUntilIdle(const FrameModel &model)
{
    return waitFor([&model] { return !model.isRefreshing() && !model.refreshAgain(); });
}

FakeHttpServer::Reply jsonReply(int status, const QByteArray &body)
{
    FakeHttpServer::Reply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

void writeManifest(const QString &screensDir, const QJsonObject &manifest)
{
    QDir().mkpath(screensDir);
    TestSupport::writeFile(QDir(screensDir).filePath(QStringLiteral("manifest.json")),
                           QJsonDocument(manifest).toJson());
}

} // namespace RefreshSupport
