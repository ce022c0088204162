// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateRelease.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The download URL is handed to the desktop to open, so only a web address is accepted: a feed
// must not be able to make Tessarine open a local file or some other kind of link.
bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}

} // namespace

std::optional<UpdateRelease> UpdateRelease::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(QLatin1String("version"));
    const QJsonValue url = object.value(QLatin1String("url"));
    const QJsonValue notes = object.value(QLatin1String("notes"));
    if (!version.isString() || !url.isString())
        return std::nullopt;
    if (!notes.isUndefined() && !notes.isNull() && !notes.isString())
        return std::nullopt;

    UpdateRelease release{version.toString(), QUrl(url.toString(), QUrl::StrictMode), std::nullopt};
    if (!isWebAddress(release.url))
        return std::nullopt;
    if (notes.isString())
        release.notes = notes.toString();
    return release;
}
