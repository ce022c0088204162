// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

class QJsonValue;

// One kind of tile a page slot can hold, as the catalogue describes it.
struct Widget
{
    QString id;
    QString title;       // full name in the editor's widget list
    QString group;       // heading the editor groups it under
    QString shortName;   // JSON "short": the name used to build page titles
    QString symbol;      // freedesktop icon name shown beside it in the editor
    QString description; // one line shown in the editor

    static std::optional<Widget> fromJson(const QJsonValue &json);
    QJsonObject toJson() const;

    friend bool operator==(const Widget &, const Widget &) = default;
};
