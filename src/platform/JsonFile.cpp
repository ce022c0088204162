// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonFile.h"

#include "AtomicFile.h"
#include "SmallFileReader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace JsonFile {

std::optional<QJsonValue> read(const QString &path, qint64 maxBytes)
{
    const SmallFileReader::Result file = SmallFileReader::read(path, maxBytes);
    if (!file.ok())
        return std::nullopt;
    return parse(file.bytes);
}

std::optional<QJsonValue> parse(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    if (document.isObject())
        return QJsonValue(document.object());
    if (document.isArray())
        return QJsonValue(document.array());
    return std::nullopt;
}

QString setAsideUnreadable(const QString &path, const std::function<bool(const QJsonValue &)> &accepts)
{
    // A missing file, or a link to nothing, holds nothing to lose.
    if (!QFileInfo::exists(path))
        return {};
    const std::optional<QJsonValue> json = read(path);
    if (json && accepts(*json))
        return {};
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".unreadable-") + stamp;
    for (int copy = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++copy)
        aside = path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(copy);
    // Renamed, not copied: a named pipe or a device is moved out of the way as well.
    if (!QFile::rename(path, aside))
        return {};
    return aside;
}

bool writePretty(const QString &path, const QJsonDocument &document)
{
    return AtomicFile::write(path, document.toJson(QJsonDocument::Indented)).isEmpty();
}

} // namespace JsonFile
