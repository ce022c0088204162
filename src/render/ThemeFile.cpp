// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThemeFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

QJsonObject ThemeFile::read(const QString &viewsDir)
{
    QFile file(QDir(viewsDir).filePath(QStringLiteral("themes.json")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isObject() ? document.object() : QJsonObject();
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
