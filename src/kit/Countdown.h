// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

class QJsonValue;

// The countdown widget's target. The date is kept as the text stored ("yyyy-MM-dd" when the
// program wrote it) and never parsed here: the page views read it.
struct Countdown
{
    QString title;
    QString date;

    static std::optional<Countdown> fromJson(const QJsonValue &json);
    QJsonObject toJson() const;

    friend bool operator==(const Countdown &, const Countdown &) = default;
};
