// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

class FrameModel;

// How the card animates a change of page, decided from the model's transition, the direction
// of the change and the desktop's reduce-motion setting at the moment the change happens.
namespace PageTransitionStyle {

enum class Kind
{
    CrossFade,        // fade, and every transition when motion is reduced
    Flip,             // the old leaf swings up over the top edge, then the new one swings down
    PushFromTrailing, // slide forward: the new page comes in from the trailing edge
    PushFromLeading,  // slide backward
};

Kind of(const FrameModel &model, bool reduceMotion);

// How long a change of this kind runs.
std::chrono::milliseconds duration(Kind kind);

// The timing curves the transitions use: CSS-like ease-in, ease-out, ease-in-out, and a
// critically damped spring with a response of half a second, all from 0 to 1.
double easeIn(double progress);
double easeOut(double progress);
double easeInOut(double progress);
double spring(std::chrono::duration<double> elapsed);

} // namespace PageTransitionStyle
