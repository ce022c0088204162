// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <optional>

// The look of the rendered pages, which also decides the image file names. Used like an
// enumeration (ScreenLook::Panel, switch, ==) with the raw values and titles attached.
class ScreenLook
{
public:
    enum Value
    {
        Mono,
        Colour,
        Panel
    };

    constexpr ScreenLook(Value value = Mono)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    // Exactly "mono", "colour" or "panel"; anything else gives none.
    static std::optional<ScreenLook> fromRawValue(const QString &rawValue);
    // Mono, Colour, Panel: the order the menu offers them in.
    static QList<ScreenLook> allCases();

    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString title() const;

    // "<view>-mono-light.png", "<view>-colour-dark.png", …; the panel look has one image,
    // "<view>.png", for both appearances.
    QString fileName(const QString &view, bool dark) const;

private:
    Value m_value;
};
