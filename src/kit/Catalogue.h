// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Layout.h"
#include "Page.h"
#include "Widget.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

class QJsonValue;

// Every layout and widget that exists, and the pages a new user starts with; read from the
// shipped "widgets.json". It is taken as it stands: duplicate ids, unknown layouts or widgets
// on pages and slot counts that differ from the layout are all kept, and lookups take the first
// match.
struct Catalogue
{
    struct Group
    {
        QString name;
        QList<Widget> widgets;

        friend bool operator==(const Group &, const Group &) = default;
    };

    QList<Layout> layouts;
    QList<Widget> widgets;
    QList<Page> defaultPages;

    std::optional<Layout> layout(const QString &id) const;
    std::optional<Widget> widget(const std::optional<QString> &id) const;

    // The widgets by group, groups in order of first appearance, widgets in catalogue order.
    QList<Group> groups() const;

    // The page's own title when it has a non-empty one; otherwise the distinct short names of
    // its known widgets joined by " · ", or "Empty page" when there are none.
    QString title(const Page &page) const;

    static std::optional<Catalogue> fromJson(const QJsonValue &json);
    QJsonObject toJson() const;

    friend bool operator==(const Catalogue &, const Catalogue &) = default;
};
