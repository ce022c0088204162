// SPDX-License-Identifier: GPL-3.0-or-later
#include "ViewAnimation.h"

namespace {

constexpr double springResponse = 0.5;
constexpr double flipSeconds = 0.56;
constexpr double easeSeconds = 0.35;

} // namespace

ViewAnimation ViewAnimation::forTransition(PageTransition transition, bool reduceMotion)
{
    const ViewAnimation ease{Curve::EaseInOut, easeSeconds};
    switch (transition) {
    case PageTransition::Slide:
        return reduceMotion ? ease : ViewAnimation{Curve::Spring, springResponse};
    case PageTransition::Flip:
        return reduceMotion ? ease : ViewAnimation{Curve::Linear, flipSeconds};
    case PageTransition::Fade:
        return ease;
    case PageTransition::Flash:
        break;
    }
    return {};
}
