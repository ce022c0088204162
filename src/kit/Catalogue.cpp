// SPDX-License-Identifier: GPL-3.0-or-later
#include "Catalogue.h"

#include "JsonReader.h"

#include <QJsonArray>
#include <QStringList>
#include <algorithm>

std::optional<Layout> Catalogue::layout(const QString &id) const
{
    const auto found = std::find_if(layouts.cbegin(), layouts.cend(), [&](const Layout &l) { return l.id == id; });
    if (found == layouts.cend())
        return std::nullopt;
    return *found;
}

std::optional<Widget> Catalogue::widget(const std::optional<QString> &id) const
{
    if (!id)
        return std::nullopt;
    const auto found = std::find_if(widgets.cbegin(), widgets.cend(), [&](const Widget &w) { return w.id == *id; });
    if (found == widgets.cend())
        return std::nullopt;
    return *found;
}

QList<Catalogue::Group> Catalogue::groups() const
{
    QList<Group> result;
    for (const Widget &widget : widgets) {
        const auto group =
            std::find_if(result.begin(), result.end(), [&](const Group &g) { return g.name == widget.group; });
        if (group == result.end())
            result.append(Group{widget.group, {widget}});
        else
            group->widgets.append(widget);
    }
    return result;
}

QString Catalogue::title(const Page &page) const
{
    if (page.title && !page.title->isEmpty())
        return *page.title;

    QStringList names;
    for (const Page::Slot &slot : page.slotWidgets) {
        const std::optional<Widget> known = widget(slot);
        if (known && !names.contains(known->shortName))
            names.append(known->shortName);
    }
    if (names.isEmpty())
        return QStringLiteral("Empty page");
    return names.join(QStringLiteral(" \u00B7 "));
}

std::optional<Catalogue> Catalogue::fromJson(const QJsonValue &json)
{
    JsonReader in(json);
    Catalogue catalogue;
    catalogue.layouts = in.records<Layout>(u"layouts", &Layout::fromJson);
    catalogue.widgets = in.records<Widget>(u"widgets", &Widget::fromJson);
    catalogue.defaultPages = in.records<Page>(u"defaultPages", &Page::fromJson);
    if (!in.ok())
        return std::nullopt;
    return catalogue;
}

QJsonObject Catalogue::toJson() const
{
    QJsonArray layoutArray;
    for (const Layout &layout : layouts)
        layoutArray.append(layout.toJson());
    QJsonArray widgetArray;
    for (const Widget &widget : widgets)
        widgetArray.append(widget.toJson());
    QJsonArray pageArray;
    for (const Page &page : defaultPages)
        pageArray.append(page.toJson());
    return {{QStringLiteral("layouts"), layoutArray},
            {QStringLiteral("widgets"), widgetArray},
            {QStringLiteral("defaultPages"), pageArray}};
}
