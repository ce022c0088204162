// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenManifest.h"

#include "JsonReader.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

QJsonValue orNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

// Qt's ISO date parser also takes plain dates and times without a zone; an internet date-time
// needs the full date, the time to the second and a zone.
bool isInternetDateTime(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d+)?(Z|[+-]\d{2}:\d{2})$)"));
    return pattern.match(text).hasMatch();
}

} // namespace

QString ScreenManifest::title(const QString &pageName) const
{
    const qsizetype index = pageNames.indexOf(pageName);
    if (index >= 0 && titles && index < titles->size())
        return titles->at(index);
    return pageName;
}

std::optional<QDateTime> ScreenManifest::updatedDate() const
{
    if (!updatedAt || !isInternetDateTime(*updatedAt))
        return std::nullopt;
    const QDateTime parsed = QDateTime::fromString(*updatedAt, Qt::ISODateWithMs);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed.toUTC();
}

std::optional<ScreenManifest> ScreenManifest::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    ScreenManifest manifest;
    manifest.ok = in.boolean(u"ok");
    manifest.updatedAt = in.optionalString(u"updatedAt");
    manifest.login = in.optionalString(u"login");
    manifest.pageNames = in.strings(u"views");
    manifest.titles = in.optionalStrings(u"titles");
    manifest.error = in.optionalString(u"error");
    if (!in.ok())
        return std::nullopt;
    return manifest;
}

QJsonObject ScreenManifest::toJson() const
{
    return {{QStringLiteral("ok"), ok},
            {QStringLiteral("updatedAt"), orNull(updatedAt)},
            {QStringLiteral("login"), orNull(login)},
            {QStringLiteral("views"), QJsonArray::fromStringList(pageNames)},
            {QStringLiteral("titles"),
             titles ? QJsonValue(QJsonArray::fromStringList(*titles)) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("error"), orNull(error)}};
}
