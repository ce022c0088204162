// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/ConnectionStatus.h"

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

// The one set of text sizes and colours every window draws with. Everything is derived from the
// desktop's font and palette, so the windows follow its font size and its light or dark
// appearance; the few fixed colours come in a light and a dark variant.
namespace UiStyle {

// The page's width over its height: 1360 × 480.
inline constexpr double pageAspectRatio = 2.8333333333333335;

enum class Text
{
    LargeTitle,    // "Welcome to Tessarine"
    Title,         // a welcome step's header
    Title2,        // "Updating…" over a slot, the titles of empty views; symbols sized like text
    Title3,        // the welcome introduction, radio marks
    Title3Mono,    // the GitHub device code
    Headline,      // a row's or option's title
    Body,          // plain text at the desktop's size
    Callout,       // the detail line under a title
    SectionHeader, // "Accounts", "Page", "Countdown"
    Caption,       // status labels, footers, page counts
    CaptionMedium, // name tags on the canvas
};

QFont font(const QFont &base, Text style);
QFont font(const QWidget &widget, Text style);

// A length laid out for a 10 pt desktop font, grown in step with a larger one, so that a window
// holds the same text per line at any font size. Never smaller than `length`.
int grownWithFont(int length, const QFont &font);

bool isDark(const QPalette &palette);
QColor withAlpha(QColor colour, double alpha);

// The contrast ratio of two opaque colours as accessibility guidelines define it, from 1 (the
// same luminance) to 21 (black on white).
double contrast(const QColor &a, const QColor &b);

QColor primary(const QPalette &palette);
QColor secondary(const QPalette &palette);
// The faint colour of the welcome flow's other steps' dots.
QColor quaternary(const QPalette &palette);
QColor separator(const QPalette &palette);
// The selection colour: selected rows, slots and layouts.
QColor accent(const QPalette &palette);
// The welcome flow's accent: the current step, the chosen option, the default button.
QColor tint(const QPalette &palette);
// Link-style buttons on `background`: the palette's link colour, moved towards the text colour
// until it reads at 4.5:1 at least (a dark palette's link or highlight colour often does not).
QColor link(const QPalette &palette, const QColor &background);
QColor destructive(const QPalette &palette);
// The outline of the control that has keyboard focus, where the desktop style draws none.
QColor focusRing(const QPalette &palette);

// Behind the sections of a grouped form, and the rounded panels the rows sit on.
QColor formBackground(const QPalette &palette);
QColor formPanel(const QPalette &palette);
// Behind the editor's canvas, like the space around a page in a document window.
QColor underPage(const QPalette &palette);
// Layers over a page image: the opaque regular one under "Updating…", the thin one for name tags.
QColor regularMaterial(const QPalette &palette);
QColor thinMaterial(const QPalette &palette);
// Behind a page image: the e-paper colour for the panel look, a near-white or near-black grey
// otherwise.
QColor paper();
QColor pageBackground(bool dark);

// The named colours of statuses, a little brighter in a dark appearance.
QColor green(const QPalette &palette);
QColor blue(const QPalette &palette);
QColor orange(const QPalette &palette);
QColor yellow(const QPalette &palette);
QColor red(const QPalette &palette);

// A connection status's dot colour and the label beside it.
QColor statusColour(ConnectionStatus status, const QPalette &palette);
QString statusLabel(ConnectionStatus status);

// Widens every push button in `controls` (or `controls` itself) so that its label does not run
// up to its edges, which the desktop's own button style may allow.
void giveButtonsRoom(QWidget *controls);

} // namespace UiStyle
