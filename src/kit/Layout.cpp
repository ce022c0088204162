// SPDX-License-Identifier: GPL-3.0-or-later
#include "Layout.h"

#include "JsonReader.h"

#include <QJsonArray>

std::optional<Layout> Layout::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    Layout layout;
    layout.id = in.string(u"id");
    layout.title = in.string(u"title");
    layout.columns = in.numbers(u"columns");
    if (!in.ok())
        return std::nullopt;
    return layout;
}

QJsonObject Layout::toJson() const
{
    QJsonArray widths;
    for (double width : columns)
        widths.append(width);
    return {{QStringLiteral("id"), id}, {QStringLiteral("title"), title}, {QStringLiteral("columns"), widths}};
}
