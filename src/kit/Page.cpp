// SPDX-License-Identifier: GPL-3.0-or-later
#include "Page.h"

#include "JsonReader.h"
#include "Layout.h"

#include <QJsonArray>

Page::Page(QString pageLayout, QList<Slot> widgets, std::optional<QString> pageTitle)
    : id(QUuid::createUuid())
    , layout(std::move(pageLayout))
    , slotWidgets(std::move(widgets))
    , title(std::move(pageTitle))
{}

void Page::setLayout(const Layout &newLayout)
{
    layout = newLayout.id;
    slotWidgets.resize(newLayout.columns.size());
}

bool Page::hasSameContent(const Page &other) const
{
    return layout == other.layout && slotWidgets == other.slotWidgets && title == other.title;
}

std::optional<Page> Page::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    QString layout = in.string(u"layout");
    QList<Slot> slotWidgets = in.stringsOrNulls(u"slots");
    std::optional<QString> title = in.optionalString(u"title");
    if (!in.ok())
        return std::nullopt;
    return Page(std::move(layout), std::move(slotWidgets), std::move(title));
}

QJsonObject Page::toJson() const
{
    QJsonArray slotArray;
    for (const Slot &slot : slotWidgets)
        slotArray.append(slot ? QJsonValue(*slot) : QJsonValue(QJsonValue::Null));
    QJsonObject object{{QStringLiteral("layout"), layout}, {QStringLiteral("slots"), slotArray}};
    if (title)
        object.insert(u"title", *title);
    return object;
}
