#pragma once

#include "services/ConnectionStatus.h"

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

// The text sizes and colours of the connections window, derived from the desktop's font and
// palette so that the window follows a light or dark appearance.
namespace ConnectionsStyle {

enum class Text
{
    Caption,       // the status labels, the section footers
    Callout,       // the detail line under a row's title
    Headline,      // a row's title
    SectionHeader, // "Accounts", "On this computer", "Your day"
    Title2,        // symbols drawn as a row's mark
    Title3Mono,    // the GitHub device code
};

QFont font(const QFont &base, Text style);

bool isDark(const QPalette &palette);
QColor secondary(const QPalette &palette);
QColor separator(const QPalette &palette);
// Behind the sections, and the rounded panels the rows sit on.
QColor formBackground(const QPalette &palette);
QColor formPanel(const QPalette &palette);

// The named system colours, a little brighter in a dark appearance.
QColor green(const QPalette &palette);
QColor blue(const QPalette &palette);
QColor orange(const QPalette &palette);
QColor yellow(const QPalette &palette);
QColor red(const QPalette &palette);

// The status dot's colour and the label beside it.
QColor statusColour(ConnectionStatus status, const QPalette &palette);
QString statusLabel(ConnectionStatus status);

// Widens every push button in `controls` (or `controls` itself) so that its label does not run
// up to its edges, which the desktop's own button style may allow.
void giveButtonsRoom(QWidget *controls);

} // namespace ConnectionsStyle
