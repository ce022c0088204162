// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>

class QWidget;

// What the card's drawing takes from the desktop: the display scale, light or dark, and whether
// motion is reduced (the desktop's setting unless replaced). Scale and appearance can be fixed,
// as the snapshot export does for its pictures.
class CardAppearance
{
public:
    CardAppearance();

    // The device pixel ratio of the widget's screen unless fixed.
    double scale(const QWidget &widget) const;
    // Dark when the widget's palette has a dark window colour, unless fixed.
    bool dark(const QWidget &widget) const;
    bool reduceMotion() const { return m_reduceMotion(); }
    // Whether the card's body is painted without translucency, for desktops that cannot show
    // translucent windows.
    bool opaque() const { return m_opaque; }

    void setFixedScale(std::optional<double> scale) { m_fixedScale = scale; }
    void setFixedDark(std::optional<bool> dark) { m_fixedDark = dark; }
    void setReduceMotion(std::function<bool()> reduceMotion) { m_reduceMotion = std::move(reduceMotion); }
    void setOpaque(bool opaque) { m_opaque = opaque; }

private:
    std::optional<double> m_fixedScale;
    std::optional<bool> m_fixedDark;
    std::function<bool()> m_reduceMotion;
    bool m_opaque = false;
};
