// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnimatedPage.h"

#include "CalendarFlip.h"
#include "FadeTransition.h"
#include "ScreenImage.h"
#include "SlideTransition.h"
#include "model/FrameModel.h"

#include <QPainter>
#include <QPainterPath>

AnimatedPage::AnimatedPage(const FrameModel &model, ScreenImage &images, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_images(images)
    , m_reduceMotion([] { return false; })
{
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_progress = value.toDouble();
        Q_EMIT changed();
    });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        m_progress = 1;
        m_leaving.clear();
        Q_EMIT changed();
    });
}

void AnimatedPage::setView(const QString &view, bool animated)
{
    if (view == m_view)
        return;
    m_animation.stop();
    // The model says how it changed the view: not at all animated during the e-paper flash.
    const bool withTransition = animated && !m_view.isEmpty() && m_model.animatesPageChange();
    m_leaving = withTransition ? m_view : QString();
    m_view = view;
    m_progress = withTransition ? 0 : 1;
    if (withTransition) {
        m_kind = PageTransitionStyle::of(m_model, m_reduceMotion());
        m_animation.setDuration(int(PageTransitionStyle::duration(m_kind).count()));
        m_animation.start();
    }
    Q_EMIT changed();
}

void AnimatedPage::finish()
{
    if (!isAnimating())
        return;
    m_animation.stop();
    m_progress = 1;
    m_leaving.clear();
    Q_EMIT changed();
}

bool AnimatedPage::drawsUnclipped() const
{
    return m_model.transition() == PageTransition::Flip && m_model.look() != ScreenLook::Panel;
}

void AnimatedPage::paint(QPainter &painter, const QRectF &page, double radius, bool dark)
{
    painter.save();
    if (!drawsUnclipped()) {
        QPainterPath corners;
        corners.addRoundedRect(page, radius, radius);
        painter.setClipPath(corners, Qt::IntersectClip);
    }
    if (m_leaving.isEmpty())
        m_images.paint(painter, page, radius, m_view, dark);
    else
        paintTransition(painter, page, radius, dark);
    painter.restore();
}

void AnimatedPage::paintTransition(QPainter &painter, const QRectF &page, double radius, bool dark)
{
    const PagePaint leaving = [&](QPainter &p) { m_images.paint(p, page, radius, m_leaving, dark); };
    const PagePaint arriving = [&](QPainter &p) { m_images.paint(p, page, radius, m_view, dark); };
    using Kind = PageTransitionStyle::Kind;
    switch (m_kind) {
    case Kind::Flip:
        CalendarFlip::paint(painter, page, m_progress, leaving, arriving);
        return;
    case Kind::PushFromTrailing:
    case Kind::PushFromLeading:
        SlideTransition::paint(painter, page, m_progress, m_kind == Kind::PushFromTrailing, leaving, arriving);
        return;
    case Kind::CrossFade:
        FadeTransition::paint(painter, m_progress, leaving, arriving);
        return;
    }
}
