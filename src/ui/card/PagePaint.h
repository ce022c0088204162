// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QPainter;

// Paints one page into the page rectangle; a transition moves, turns and fades it through the
// painter's transform and opacity.
using PagePaint = std::function<void(QPainter &)>;
