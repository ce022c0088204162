#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QLabel;
class QPalette;
class QVBoxLayout;
class QWidget;

// Text sizes, colours and spacing of the welcome flow, derived from the desktop's font and
// palette like the connections window's, whose smaller sizes it shares.
namespace OnboardingStyle {

// Space around a step's content, and between its blocks.
constexpr int stepMargin = 32;
constexpr int blockSpacing = 18;

enum class Text
{
    LargeTitle, // "Welcome to Tessarine"
    Title,      // a step's header
    Title3,     // the introduction under the large title, the radio marks
    Body,       // a step's detail line
    Headline,   // a row's or option's title
    Callout,    // details and notes
    Caption,    // page counts
};

QFont font(const QFont &base, Text style);

// The accent colour of the current step's dot and the selected option.
QColor tint(const QPalette &palette);
QColor secondary(const QPalette &palette);
// The faint colour of the other steps' dots.
QColor quaternary(const QPalette &palette);

// Which colour of the palette a symbol is painted in.
enum class Colour
{
    Text,
    Secondary,
    Tint,
};

// A label of plain text in the given size, wrapping unless told otherwise, in the secondary
// colour when `secondaryColour` is set.
QLabel *label(const QString &text, Text style, QWidget *parent, bool secondaryColour = false, bool wrap = true);
// A label showing a system symbol (by its name in the flow's texts) from the desktop's icon theme.
QLabel *symbolLabel(const QString &name, int size, Colour colour, QWidget *parent);
// Paints the secondary texts and the symbols under `root` again from their parents' palettes,
// after the desktop changed between a light and a dark appearance.
void restyle(QWidget *root);
// A one-pixel line across the window.
QWidget *divider(QWidget *parent);
// The column a step's blocks stand in, with the step's margin and the space between blocks.
QVBoxLayout *stepLayout(QWidget *step);

} // namespace OnboardingStyle
