// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// The look of the rendered pages, and the one table of looks: each look's stored name, title,
// how its pictures are drawn and what their files are called. The display options, the screens
// directory's file names, the menu, the snapshot export and the render command all read it, so
// a new look is a new enumerator, its row in row() and the cases the compiler then asks for.
// Used like an enumeration (ScreenLook::Panel, switch, ==) with the stored names (EnumNames.h).
class ScreenLook
{
    Q_GADGET

public:
    enum class Value
    {
        Mono,
        Colour,
        Panel
    };
    Q_ENUM(Value)
    static constexpr Value Mono = Value::Mono;
    static constexpr Value Colour = Value::Colour;
    static constexpr Value Panel = Value::Panel;

    // How a look's pictures are drawn.
    enum class Drawing
    {
        // In the look's light and dark themes ("<look>-light", "<look>-dark" in themes.json): two
        // pictures a page, "<page>-<look>-light.png" and "<page>-<look>-dark.png".
        Themed,
        // Once, without a theme, for a one-bit panel at whole panel widths: one picture a page
        // for both appearances, "<page>.png". At most one look is drawn this way.
        OneBitPanel
    };

    struct Row
    {
        QString title; // in the menu: "Panel Pixels"
        Drawing drawing = Drawing::Themed;
    };

    constexpr ScreenLook(Value value = Mono)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    // Exactly "mono", "colour" or "panel"; anything else gives none.
    static std::optional<ScreenLook> fromName(const QString &name);
    // Mono, Colour, Panel: the order the menu offers them in.
    static QList<ScreenLook> all();
    // The look whose picture of `view` is called `fileName`; none for any other name.
    static std::optional<ScreenLook> ofPicture(const QString &fileName, const QString &view);

    Row row() const;
    QString name() const;
    QString id() const { return name(); }
    QString title() const { return row().title; }
    Drawing drawing() const { return row().drawing; }
    // The appearances a page is drawn in: light and dark, or one picture for both (false).
    QList<bool> appearances() const;

    // "<view>-mono-light.png", "<view>-colour-dark.png", …; the panel look has one image,
    // "<view>.png", for both appearances.
    QString fileName(const QString &view, bool dark) const;

private:
    Value m_value;
};
