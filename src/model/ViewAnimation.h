// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/PageTransition.h"

// How the card should animate the latest change of the shown page. The model picks it when it
// changes `view`, before it notifies, so the page view reads it in its viewChanged handler.
struct ViewAnimation
{
    enum class Curve
    {
        None,   // switch at once (the e-paper flash, or no change animated yet)
        Spring, // a critically damped spring (no overshoot); `seconds` is its response
        Linear,
        EaseInOut,
    };

    Curve curve = Curve::None;
    double seconds = 0;

    // The animation for a page change under `transition`. Reduce motion replaces the slide's
    // spring and the flip's linear turn by a short ease; the flash transition is not animated
    // here, it runs as the e-paper flash.
    static ViewAnimation forTransition(PageTransition transition, bool reduceMotion);

    friend bool operator==(const ViewAnimation &, const ViewAnimation &) = default;
};
