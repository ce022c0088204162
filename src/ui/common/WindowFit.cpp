// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace WindowFit {

namespace {

// One side's length: what is wanted, at most the room, at least the minimum.
int fittedLength(int wanted, int minimum, int room)
{
    return std::max(minimum, std::min(wanted, room));
}

// One side's position: the start moved the least so that the length lies within the room;
// a length larger than the room starts where the room starts.
int fittedStart(int start, int length, int roomStart, int roomLength)
{
    const int lastStart = roomStart + roomLength - length;
    return std::max(roomStart, std::min(start, lastStart));
}

// Around a shown window the window manager's frame is known; before that it is assumed.
QMargins decorationOf(const QWidget &window)
{
    if (!window.isVisible())
        return assumedDecoration;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// A screen with less room than the window's least size gets the window at the size of the
// room: the windows scroll what does not fit. The least size is lowered for good, so the window
// manager does not push the window back beyond the screen.
QSize minimumWithin(QWidget &window, const QRect &available, const QMargins &decoration)
{
    const QSize room = available.marginsRemoved(decoration).size();
    const QSize minimum = window.minimumSize();
    if (minimum.width() > room.width() || minimum.height() > room.height())
        window.setMinimumSize(minimum.boundedTo(room));
    return window.minimumSize();
}

} // namespace

QRect fitted(const QRect &client, const QSize &minimum, const QRect &available, const QMargins &decoration)
{
    const QRect room = available.marginsRemoved(decoration);
    const int width = fittedLength(client.width(), minimum.width(), room.width());
    const int height = fittedLength(client.height(), minimum.height(), room.height());
    return {fittedStart(client.x(), width, room.x(), room.width()),
            fittedStart(client.y(), height, room.y(), room.height()), width, height};
}

QRect centred(const QSize &size, const QSize &minimum, const QRect &available, const QMargins &decoration)
{
    QRect client(QPoint(), size);
    client.moveCenter(available.marginsRemoved(decoration).center());
    return fitted(client, minimum, available, decoration);
}

QScreen *screenOf(const QWidget &window)
{
    if (QScreen *screen = QGuiApplication::screenAt(window.geometry().center()))
        return screen;
    return QGuiApplication::primaryScreen();
}

void placeCentred(QWidget &window, const QSize &wanted)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(wanted);
        return;
    }
    const QSize size = wanted.expandedTo(window.sizeHint());
    const QMargins decoration = decorationOf(window);
    const QSize minimum = minimumWithin(window, screen->availableGeometry(), decoration);
    window.setGeometry(centred(size, minimum, screen->availableGeometry(), decoration));
}

void keepOnScreen(QWidget &window)
{
    if (const QScreen *screen = screenOf(window)) {
        const QMargins decoration = decorationOf(window);
        const QSize minimum = minimumWithin(window, screen->availableGeometry(), decoration);
        window.setGeometry(fitted(window.geometry(), minimum, screen->availableGeometry(), decoration));
    }
}

} // namespace WindowFit
