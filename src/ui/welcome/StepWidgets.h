// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/common/UiStyle.h"

#include <QString>

class QLabel;
class QVBoxLayout;
class QWidget;

// The pieces the welcome flow's steps are built from, in the one UI style: labels, symbols,
// dividers and the column a step stands in.
namespace StepWidgets {

// Space around a step's content, and between its blocks.
constexpr int stepMargin = 32;
constexpr int blockSpacing = 18;

// Which colour of the palette a symbol is painted in.
enum class Colour
{
    Text,
    Secondary,
    Tint,
};

// A label of plain text in the given size, wrapping unless told otherwise, in the secondary
// colour when `secondaryColour` is set.
QLabel *label(const QString &text, UiStyle::Text style, QWidget *parent, bool secondaryColour = false,
              bool wrap = true);
// A label showing a system symbol (by its name in the flow's texts) from the desktop's icon theme.
QLabel *symbolLabel(const QString &name, int size, Colour colour, QWidget *parent);
// Paints the secondary texts and the symbols under `root` again from their parents' palettes,
// after the desktop changed between a light and a dark appearance.
void restyle(QWidget *root);
// A one-pixel line across the window.
QWidget *divider(QWidget *parent);
// The column a step's blocks stand in, with the step's margin and the space between blocks.
QVBoxLayout *stepLayout(QWidget *step);

} // namespace StepWidgets
