// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Page.h"

#include <QJsonArray>
#include <QList>
#include <QStringList>

namespace TestSupport {

// "halves[today.date,countdown]" for each page, "-" for an empty slot, so that a whole page list
// reads as one comparable string list in a test's failure message.
QStringList describe(const QList<Page> &pages);
// The same for pages in their settings-file form; a page that does not decode reads as an empty
// page, so that the comparison fails on it.
QStringList describe(const QJsonArray &pages);

} // namespace TestSupport
