// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

class QJsonValue;
struct Layout;

// One page of the card: a layout and the widget in each of its slots.
//
// The identifier is new whenever a page is made or decoded and is never stored, so it only
// tells pages apart within one run. Two pages are equal only when their identifiers agree too;
// hasSameContent() compares what is stored.
struct Page
{
    using Slot = std::optional<QString>; // a widget id, or none for an empty slot

    QUuid id;
    QString layout;
    // JSON "slots". (The name "slots" itself is taken by a Qt keyword macro.)
    QList<Slot> slotWidgets;
    std::optional<QString> title; // the user's own title; none means derived from the widgets

    explicit Page(QString layout = {}, QList<Slot> slotWidgets = {}, std::optional<QString> title = std::nullopt);

    // Switches to another layout keeping what fits: exactly one slot per column, the old
    // entries where they exist, empty slots after them. Title and identifier stay.
    void setLayout(const Layout &newLayout);

    bool hasSameContent(const Page &other) const;

    static std::optional<Page> fromJson(const QJsonValue &json);
    QJsonObject toJson() const;

    friend bool operator==(const Page &, const Page &) = default;
};
