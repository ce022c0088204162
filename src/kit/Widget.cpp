// SPDX-License-Identifier: GPL-3.0-or-later
#include "Widget.h"

#include "JsonReader.h"

std::optional<Widget> Widget::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    Widget widget;
    widget.id = in.string(u"id");
    widget.title = in.string(u"title");
    widget.group = in.string(u"group");
    widget.shortName = in.string(u"short");
    widget.symbol = in.string(u"symbol");
    widget.description = in.string(u"description");
    if (!in.ok())
        return std::nullopt;
    return widget;
}

QJsonObject Widget::toJson() const
{
    return {{QStringLiteral("id"), id},         {QStringLiteral("title"), title},
            {QStringLiteral("group"), group},   {QStringLiteral("short"), shortName},
            {QStringLiteral("symbol"), symbol}, {QStringLiteral("description"), description}};
}
