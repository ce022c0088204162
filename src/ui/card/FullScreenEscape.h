// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FrameSize.h"

#include <QObject>
#include <QPointer>

class FrameModel;
class QWidget;

// The keyboard's way out of the full-screen grid, which needs no global shortcut: once the grid
// has the focus (a click on it gives it), Escape goes back to the card size used before. That
// size is remembered in the user defaults store, so it outlives a restart in full screen.
class FullScreenEscape : public QObject
{
    Q_OBJECT

public:
    // The user defaults key of the last card size.
    static QString sizeKey();

    FullScreenEscape(FrameModel &model, QWidget &window);

    // The size Escape goes back to: the last card size, Medium when none is known.
    FrameSize cardSize() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rememberCardSize();

    FrameModel &m_model;
    QPointer<QWidget> m_window;
};
