// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageTransitionStyle.h"

#include "model/FrameModel.h"

#include <QEasingCurve>
#include <cmath>
#include <numbers>

namespace PageTransitionStyle {

namespace {

using namespace std::chrono_literals;

constexpr auto fadeDuration = 350ms;
// Each leaf of the flip takes 280 ms; the new one starts when the old one is gone.
constexpr auto flipDuration = 560ms;
// The spring has settled to well under a pixel by then.
constexpr auto springDuration = 800ms;
constexpr double springResponseSeconds = 0.5;

QEasingCurve bezier(QPointF first, QPointF second)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

} // namespace

Kind of(const FrameModel &model, bool reduceMotion)
{
    if (reduceMotion)
        return Kind::CrossFade;
    switch (model.transition()) {
    case PageTransition::Flip:
        return Kind::Flip;
    case PageTransition::Slide:
        return model.movingForward() ? Kind::PushFromTrailing : Kind::PushFromLeading;
    case PageTransition::Fade:
    case PageTransition::Flash:
        break;
    }
    return Kind::CrossFade;
}

std::chrono::milliseconds duration(Kind kind)
{
    switch (kind) {
    case Kind::Flip:
        return flipDuration;
    case Kind::PushFromTrailing:
    case Kind::PushFromLeading:
        return springDuration;
    case Kind::CrossFade:
        break;
    }
    return fadeDuration;
}

double easeIn(double progress)
{
    static const QEasingCurve curve = bezier(QPointF(0.42, 0), QPointF(1, 1));
    return curve.valueForProgress(progress);
}

double easeOut(double progress)
{
    static const QEasingCurve curve = bezier(QPointF(0, 0), QPointF(0.58, 1));
    return curve.valueForProgress(progress);
}

double easeInOut(double progress)
{
    static const QEasingCurve curve = bezier(QPointF(0.42, 0), QPointF(0.58, 1));
    return curve.valueForProgress(progress);
}

double spring(std::chrono::duration<double> elapsed)
{
    const double omega = 2 * std::numbers::pi / springResponseSeconds;
    const double t = std::max(0.0, elapsed.count());
    return 1 - (1 + omega * t) * std::exp(-omega * t);
}

} // namespace PageTransitionStyle
