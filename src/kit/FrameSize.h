// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// The card size chosen in the menu. Used like an enumeration (FrameSize::Large, switch, ==).
class FrameSize
{
    Q_GADGET

public:
    enum Value
    {
        Small,
        Medium,
        Large,
        FullScreen
    };
    Q_ENUM(Value)

    constexpr FrameSize(Value value = Medium)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    // Exactly "small", "medium", "large" or "fullScreen"; anything else gives none.
    static std::optional<FrameSize> fromName(const QString &name);
    static QList<FrameSize> all();

    QString name() const;
    QString title() const;
    // Width of the page image on the card, in device-independent pixels.
    double contentWidth() const;

private:
    Value m_value;
};
