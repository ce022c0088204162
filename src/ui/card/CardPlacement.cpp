// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardPlacement.h"

#include <algorithm>

namespace CardPlacement {

namespace {

double area(const QRect &rect)
{
    return rect.isEmpty() ? 0.0 : double(rect.width()) * double(rect.height());
}

// No frame was saved yet: a never-placed window has no real width.
bool isUnplaced(const QRect &base)
{
    return base.width() < 10;
}

bool isLeftFromFullScreen(const QRect &base, const Screens &screens)
{
    const int screenWidth = screens.main ? screens.main->width() : fallbackScreenWidth;
    return base.width() > fullScreenShare * screenWidth;
}

QRect topCentre(const QSize &size, const QRect &available)
{
    const int x = available.x() + (available.width() - size.width()) / 2;
    return QRect(QPoint(x, available.top() + topGap), size);
}

} // namespace

bool isOnScreen(const QRect &frame, const QList<QRect> &available)
{
    const double frameArea = area(frame);
    for (const QRect &screen : available) {
        if (area(frame.intersected(screen)) >= visibleShare * frameArea)
            return true;
    }
    return false;
}

QRect place(const QRect &base, const QSize &size, bool firstTime, const Screens &screens)
{
    const bool wantsTopCentre =
        !isOnScreen(base, screens.available) || (firstTime && isUnplaced(base)) || isLeftFromFullScreen(base, screens);
    if (wantsTopCentre && screens.mainAvailable)
        return topCentre(size, *screens.mainAvailable);
    return QRect(base.topLeft(), size);
}

QRect keepWithin(const QRect &frame, const QList<QRect> &available)
{
    const QRect *best = nullptr;
    for (const QRect &screen : available) {
        if (!best || area(frame.intersected(screen)) > area(frame.intersected(*best)))
            best = &screen;
    }
    if (!best || area(frame.intersected(*best)) == 0)
        return frame;
    QRect moved = frame;
    moved.moveRight(std::min(moved.right(), best->right()));
    moved.moveBottom(std::min(moved.bottom(), best->bottom()));
    moved.moveLeft(std::max(moved.left(), best->left()));
    moved.moveTop(std::max(moved.top(), best->top()));
    return moved;
}

} // namespace CardPlacement
