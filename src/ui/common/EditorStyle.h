#pragma once

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

// The colours and text styles the layout editor draws with, derived from the widget's palette
// and font so that the editor follows the desktop's light or dark appearance.
namespace EditorStyle {

enum class Text
{
    Caption,
    CaptionMedium,
    Callout,
    Body,
    Headline,
    Title2,
    SectionHeader,
};

// The page's width over its height: 1360 × 480.
inline constexpr double pageAspectRatio = 2.8333333333333335;

bool isDark(const QPalette &palette);

QFont font(const QWidget &widget, Text style);
QFont font(const QFont &base, Text style);

QColor primary(const QPalette &palette);
QColor secondary(const QPalette &palette);
QColor separator(const QPalette &palette);
QColor accent(const QPalette &palette);
QColor destructive(const QPalette &palette);

// Behind the canvas, like the space around a page in a document window.
QColor underPage(const QPalette &palette);
// The form behind the inspector's sections and the panels the sections sit on.
QColor formBackground(const QPalette &palette);
QColor formPanel(const QPalette &palette);
// Layers over a page image: the opaque regular one under "Updating…", the thin one for name tags.
QColor regularMaterial(const QPalette &palette);
QColor thinMaterial(const QPalette &palette);

// Behind a page image: the e-paper colour for the panel look, a near-white or near-black grey
// otherwise.
QColor paper();
QColor pageBackground(bool dark);

} // namespace EditorStyle
