// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// How the card changes from one page to the next. Used like an enumeration
// (PageTransition::Slide, switch, ==); the menu titles belong to the menu.
class PageTransition
{
    Q_GADGET

public:
    enum Value
    {
        Flip,
        Slide,
        Fade,
        Flash
    };
    Q_ENUM(Value)

    constexpr PageTransition(Value value = Flip)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    // Exactly "flip", "slide", "fade" or "flash"; anything else gives none.
    static std::optional<PageTransition> fromName(const QString &name);
    static QList<PageTransition> all();

    QString name() const;

private:
    Value m_value;
};
