// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageTransitionStyle.h"

#include <QObject>
#include <QRectF>
#include <QString>
#include <QVariantAnimation>
#include <functional>

class FrameModel;
class QPainter;
class ScreenImage;

// One page in a fixed frame on the card or in a cell of the full-screen grid. When its view
// changes it plays the model's transition from the old page to the new one; a change the model
// made without animation (the e-paper flash), or one asked for without, shows the new page at
// once. A change during a transition starts the next one from the page that was arriving, so
// every animation ends on the last view asked for.
class AnimatedPage : public QObject
{
    Q_OBJECT

public:
    AnimatedPage(const FrameModel &model, ScreenImage &images, QObject *parent = nullptr);

    // Where the desktop's reduce-motion setting is read, at each change of page.
    void setReduceMotion(std::function<bool()> reduceMotion) { m_reduceMotion = std::move(reduceMotion); }

    QString view() const { return m_view; }
    void setView(const QString &view, bool animated = true);

    bool isAnimating() const { return m_animation.state() == QAbstractAnimation::Running; }
    // Ends a running transition at once, on the current view.
    void finish();

    // Paints the page into `page`. The flip may reach outside it; everything else is clipped to
    // its rounded corners.
    void paint(QPainter &painter, const QRectF &page, double radius, bool dark);

Q_SIGNALS:
    // Something to repaint: a new view or a step of a transition.
    void changed();

private:
    void paintTransition(QPainter &painter, const QRectF &page, double radius, bool dark);
    bool drawsUnclipped() const;

    const FrameModel &m_model;
    ScreenImage &m_images;
    std::function<bool()> m_reduceMotion;
    QString m_view;
    QString m_leaving;
    PageTransitionStyle::Kind m_kind = PageTransitionStyle::Kind::CrossFade;
    double m_progress = 1;
    QVariantAnimation m_animation;
};
