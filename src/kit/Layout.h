// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

class QJsonValue;

// One row of columns with relative widths; each column is one slot of a page.
struct Layout
{
    QString id;
    QString title;
    QList<double> columns;

    static std::optional<Layout> fromJson(const QJsonValue &json);
    QJsonObject toJson() const;

    friend bool operator==(const Layout &, const Layout &) = default;
};
