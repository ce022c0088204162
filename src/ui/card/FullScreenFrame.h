// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FullScreenLayout.h"
#include "ScreenImage.h"

#include <QList>
#include <QRectF>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class AnimatedPage;
class CardAppearance;
class FrameModel;

// The full-screen grid: as many rendered pages as fit well, starting with the current one and
// following the page cycle, on one large translucent panel. Every cell advances with the current
// view, each playing the transition. The window it fills ignores the mouse.
class FullScreenFrame : public QWidget
{
    Q_OBJECT

public:
    // The corner radius of the glass panel behind the grid.
    static constexpr double panelRadius = 40;

    FullScreenFrame(FrameModel &model, const CardAppearance &appearance, QWidget *parent = nullptr);
    ~FullScreenFrame() override;

    // Where the glass panel lies: the whole area less the outer margin.
    QRectF panelRect() const;

    // The grid chosen for the current size and views, and the fitted page width.
    FullScreenLayout::Choice choice() const;
    double pageWidth() const;
    // The views in the cells, in reading order.
    QStringList shownViews() const;
    // Where each shown page lies, in reading order.
    QList<QRectF> cellRects() const;

    void finishTransitions();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QStringList viewsToShow() const;
    // Puts the views to show into the cells; `animated` when the current view moved on.
    void syncCells(bool animated);
    int viewCount() const;

    FrameModel &m_model;
    const CardAppearance &m_appearance;
    ScreenImage m_images;
    std::vector<std::unique_ptr<AnimatedPage>> m_cells;
};
