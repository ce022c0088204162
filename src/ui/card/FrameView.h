// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AnimatedPage.h"
#include "CardAppearance.h"
#include "CardFit.h"
#include "ScreenImage.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <optional>

class CardAnnouncement;
class FrameMenu;
class FrameModel;
class FullScreenFrame;

// The card: the current page on a translucent rounded body with a 16-point margin around it, or
// the full-screen grid when the size is full screen. A click shows the next page, a drag moves
// the window and a right click opens the frame menu.
class FrameView : public QWidget
{
    Q_OBJECT

public:
    explicit FrameView(FrameModel &model, QWidget *parent = nullptr);
    ~FrameView() override;

    CardAppearance &appearance() { return m_appearance; }
    AnimatedPage &page() { return m_page; }
    FullScreenFrame *fullScreenFrame() const { return m_fullScreen; }

    // The width of the page image for the current size and look on this display.
    double pageWidth() const;
    // Where the page image lies, in this widget's coordinates.
    QRectF pageRect() const;
    // The card plus its margin: the size the card window needs.
    QSizeF cardWindowSize() const;
    QSize sizeHint() const override;

    FrameModel &model() const { return m_model; }

    // The click on the card: the next rendered view, when there is one.
    void showNextPage();
    // The rendered view before the shown one, when there is one.
    void showPreviousPage();
    // The frame menu, beside the page when no position is given (keyboard and screen readers).
    void openMenu(std::optional<QPoint> globalPosition = std::nullopt);
    // Jumps every running transition to its end (for pictures of a settled card).
    void finishTransitions();
    // Paints an opaque body and cuts the window to its shape, for desktops without translucency.
    void setOpaqueBody(bool opaque);
    // A narrower inset and margin than usual, for a page that would not fit the screen with
    // them; none goes back to the usual ones.
    void setTrim(std::optional<CardTrim> trim);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    // Once the card has the keyboard: Left and Right change pages, Menu or Shift+F10 opens the menu.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void watchModel();
    // Tells assistive technologies that the card's name or description changed, and has a
    // screen reader say a new page's words, or a failure as it appears, wherever the focus is.
    void announce(bool pageChanged);
    void followSize();
    void moveWindowTo(const QPoint &globalPosition);
    void updateMask();
    QRectF cardRect() const;
    CardTrim trim() const;
    double bodyRadius() const;
    bool isFullScreen() const;

    FrameModel &m_model;
    CardAppearance m_appearance;
    ScreenImage m_images;
    AnimatedPage m_page;
    FullScreenFrame *m_fullScreen = nullptr;
    QPointer<FrameMenu> m_menu;
    CardAnnouncement *m_announcement = nullptr;
    // The failure last said aloud, so that each refresh that fails alike is not said again.
    QString m_spokenFailure;
    std::optional<CardTrim> m_trim;

    // The press that may become a click or a drag.
    std::optional<QPoint> m_pressPosition;
    QPoint m_windowAtPress;
    bool m_dragging = false;
};
