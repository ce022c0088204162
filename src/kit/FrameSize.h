// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <optional>

// The card size chosen in the menu. Used like an enumeration (FrameSize::Large, switch, ==).
class FrameSize
{
public:
    enum Value
    {
        Small,
        Medium,
        Large,
        FullScreen
    };

    constexpr FrameSize(Value value = Medium)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    // Exactly "small", "medium", "large" or "fullScreen"; anything else gives none.
    static std::optional<FrameSize> fromRawValue(const QString &rawValue);
    static QList<FrameSize> allCases();

    QString rawValue() const;
    QString title() const;
    // Width of the page image on the card, in device-independent pixels.
    double contentWidth() const;

private:
    Value m_value;
};
