// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PagePaint.h"

// The cross-fade: the old page fades out while the new one fades in, easing in and out. Also
// what every transition becomes when the desktop asks for reduced motion.
namespace FadeTransition {

void paint(QPainter &painter, double progress, const PagePaint &leaving, const PagePaint &arriving);

} // namespace FadeTransition
