// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How the card steps through the rendered views: wrapping at both ends, and starting again at
// the first view when the current one is not in the list (in either direction).
namespace PageCycle {

// None only when there are no views.
std::optional<QString> next(const QString &current, const QStringList &views);
std::optional<QString> previous(const QString &current, const QStringList &views);

} // namespace PageCycle
