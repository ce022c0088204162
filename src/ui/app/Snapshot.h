// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class FrameModel;
class FrameView;

// The unattended picture export (APP_SNAPSHOT): the large card in every look, for every rendered
// view, light and dark, as PNG files named like mono-page0-light.png. Needs no display.
namespace Snapshot {

// The scale the pictures are drawn at.
inline constexpr double scale = 2;

// Exports every look, view and appearance into `directory` (created when missing), printing one
// "snapshot <file name>" line for each file. Goes through the model's ordinary setters, so the
// last exported look, view and the large size stay stored.
void run(FrameModel &model, const QString &directory);

// Draws `view` as a settled card on an opaque grey that fills every edge and writes it to `path`.
// Failures skip the file silently; a written file is announced on standard output.
void save(FrameView &view, bool dark, const QString &path);

} // namespace Snapshot
