// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameSettings.h"

#include "JsonReader.h"

#include <QJsonArray>

std::optional<FrameSettings> FrameSettings::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    FrameSettings settings;
    settings.providers = in.strings(u"providers");
    settings.logos = in.boolean(u"logos");
    settings.pages = in.optionalRecords<Page>(u"pages", &Page::fromJson);
    settings.countdown = in.optionalRecord<Countdown>(u"countdown", &Countdown::fromJson);
    if (!in.ok())
        return std::nullopt;
    return settings;
}

QJsonObject FrameSettings::toJson() const
{
    QJsonObject object{{QStringLiteral("providers"), QJsonArray::fromStringList(providers)},
                       {QStringLiteral("logos"), logos}};
    if (pages) {
        QJsonArray pageArray;
        for (const Page &page : *pages)
            pageArray.append(page.toJson());
        object.insert(u"pages", pageArray);
    }
    if (countdown)
        object.insert(u"countdown", countdown->toJson());
    return object;
}
