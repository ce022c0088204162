// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// The look of the rendered pages, which also decides the image file names. Used like an
// enumeration (ScreenLook::Panel, switch, ==) with the stored names (EnumNames.h) and titles attached.
class ScreenLook
{
    Q_GADGET

public:
    enum Value
    {
        Mono,
        Colour,
        Panel
    };
    Q_ENUM(Value)

    constexpr ScreenLook(Value value = Mono)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    // Exactly "mono", "colour" or "panel"; anything else gives none.
    static std::optional<ScreenLook> fromName(const QString &name);
    // Mono, Colour, Panel: the order the menu offers them in.
    static QList<ScreenLook> all();

    QString name() const;
    QString id() const { return name(); }
    QString title() const;

    // "<view>-mono-light.png", "<view>-colour-dark.png", …; the panel look has one image,
    // "<view>.png", for both appearances.
    QString fileName(const QString &view, bool dark) const;

private:
    Value m_value;
};
