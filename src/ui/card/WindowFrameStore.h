// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>
#include <optional>

// Remembers a window's frame across restarts under a name ("TessarineFrame", …) in the user
// defaults store, as the text "x y width height".
namespace WindowFrameStore {

std::optional<QRect> load(const QString &name);
void save(const QString &name, const QRect &frame);

} // namespace WindowFrameStore
