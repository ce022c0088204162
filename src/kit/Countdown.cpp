// SPDX-License-Identifier: GPL-3.0-or-later
#include "Countdown.h"

#include "JsonReader.h"

std::optional<Countdown> Countdown::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    Countdown countdown;
    countdown.title = in.string(u"title");
    countdown.date = in.string(u"date");
    if (!in.ok())
        return std::nullopt;
    return countdown;
}

QJsonObject Countdown::toJson() const
{
    return {{QStringLiteral("title"), title}, {QStringLiteral("date"), date}};
}
