// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThemeFile.h"

#include "platform/JsonFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

QJsonObject ThemeFile::read(const QString &viewsDir)
{
    // The views folder can be any folder (TESSARINE_VIEWS), so its files go through the bounded
    // reader like the user's own.
    return JsonFile::read(QDir(viewsDir).filePath(QStringLiteral("themes.json")), 1024 * 1024)
        .value_or(QJsonValue())
        .toObject();
}

std::optional<QString> ThemeFile::themeJson(const QJsonObject &themes, const QString &look, bool dark)
{
    const QString key = look + (dark ? QStringLiteral("-dark") : QStringLiteral("-light"));
    const QJsonValue theme = themes.value(key);
    if (theme.isUndefined())
        return std::nullopt;
    if (theme.isObject())
        return QString::fromUtf8(QJsonDocument(theme.toObject()).toJson(QJsonDocument::Compact));
    if (theme.isArray())
        return QString::fromUtf8(QJsonDocument(theme.toArray()).toJson(QJsonDocument::Compact));
    // Scalars pass through as their JSON text (null stays null).
    const QByteArray wrapped = QJsonDocument(QJsonArray{theme}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}
