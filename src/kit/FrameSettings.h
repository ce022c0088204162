// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Countdown.h"
#include "Page.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <optional>

class QJsonValue;

// What the user chose about the card's content, stored as the settings file. There is no
// version field: a file decodes in full or is ignored in full.
struct FrameSettings
{
    QStringList providers;            // AI plan providers for the all-plans widget
    bool logos = true;                // whether page views show service logos
    std::optional<QList<Page>> pages; // none (or null in the file): no pages of the user's own
    std::optional<Countdown> countdown;

    static std::optional<FrameSettings> fromJson(const QJsonValue &json);
    // Leaves out pages and countdown when they are none.
    QJsonObject toJson() const;

    friend bool operator==(const FrameSettings &, const FrameSettings &) = default;
};
