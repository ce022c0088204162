// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameView.h"

#include "CardAccessible.h"
#include "CardAnnouncement.h"
#include "CardSpeech.h"
#include "CardStyle.h"
#include "FailureMark.h"
#include "FrameMenu.h"
#include "FullScreenFrame.h"
#include "kit/PageCycle.h"
#include "model/FrameModel.h"

#include <QAccessible>
#include <QApplication>
#include <QBitmap>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>
#include <algorithm>

FrameView::FrameView(FrameModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_images(model)
    , m_page(model, m_images)
{
    CardAccessible::install();
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    // The card takes the keyboard only when its window may have the focus (FrameWindow decides).
    setFocusPolicy(Qt::StrongFocus);
    m_page.setReduceMotion([this] { return m_appearance.reduceMotion(); });
    m_page.setView(m_model.view(), false);
    m_fullScreen = new FullScreenFrame(model, m_appearance, this);
    new FailureMark(model, *this);
    m_announcement = new CardAnnouncement(this);
    m_spokenFailure = CardSpeech::failure(m_model);
    watchModel();
    followSize();
}

FrameView::~FrameView() = default;

void FrameView::watchModel()
{
    connect(&m_page, &AnimatedPage::changed, this, qOverload<>(&QWidget::update));
    connect(&m_model, &FrameModel::viewChanged, this, [this] {
        m_page.setView(m_model.view());
        announce(true);
    });
    for (auto changed : {&FrameModel::pageTextsChanged, &FrameModel::manifestChanged, &FrameModel::lastRunErrorChanged,
                         &FrameModel::imagesChanged, &FrameModel::failureNoteChanged, &FrameModel::welcomingChanged})
        connect(&m_model, changed, this, [this] { announce(false); });
    connect(&m_model, &FrameModel::sizeChanged, this, &FrameView::followSize);
    for (auto changed :
         {&FrameModel::lookChanged, &FrameModel::flashChanged, &FrameModel::imagesChanged, &FrameModel::manifestChanged,
          &FrameModel::lastRunErrorChanged, &FrameModel::transitionChanged, &FrameModel::welcomingChanged}) {
        connect(&m_model, changed, this, qOverload<>(&QWidget::update));
    }
}

bool FrameView::isFullScreen() const
{
    return m_model.size() == FrameSize::FullScreen;
}

void FrameView::followSize()
{
    const bool fullScreen = isFullScreen();
    m_fullScreen->setVisible(fullScreen);
    m_fullScreen->setGeometry(rect());
    setToolTip(fullScreen ? QString() : QStringLiteral("Click for the next page, drag to move"));
    updateMask();
    updateGeometry();
    update();
}

double FrameView::pageWidth() const
{
    return m_model.contentWidth(m_appearance.scale(*this));
}

QSizeF FrameView::cardWindowSize() const
{
    return CardFit::windowSize(pageWidth(), trim());
}

CardTrim FrameView::trim() const
{
    return m_trim.value_or(CardFit::usual(pageWidth()));
}

void FrameView::setTrim(std::optional<CardTrim> trim)
{
    if (trim == CardFit::usual(pageWidth()))
        trim.reset();
    if (trim == m_trim)
        return;
    m_trim = trim;
    updateMask();
    updateGeometry();
    update();
}

double FrameView::bodyRadius() const
{
    // A narrowed inset keeps the body's corner concentric with the page's.
    const double width = pageWidth();
    return std::min(CardStyle::bodyRadius(width), CardStyle::pageRadius(width) + trim().inset);
}

QSize FrameView::sizeHint() const
{
    return cardWindowSize().toSize();
}

QRectF FrameView::pageRect() const
{
    const double width = pageWidth();
    const QSizeF page(width, CardStyle::pageHeight(width));
    const QPointF centre = QRectF(rect()).center();
    return QRectF(centre.x() - page.width() / 2, centre.y() - page.height() / 2, page.width(), page.height());
}

void FrameView::paintEvent(QPaintEvent *)
{
    if (isFullScreen())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF page = pageRect();
    const double width = page.width();
    const bool dark = m_appearance.dark(*this);
    CardStyle::paintGlass(painter, cardRect(), bodyRadius(), dark, m_appearance.opaque());
    m_page.paint(painter, page, CardStyle::pageRadius(width), dark);
}

QRectF FrameView::cardRect() const
{
    const QRectF page = pageRect();
    const double inset = trim().inset;
    return page.adjusted(-inset, -inset, inset, inset);
}

void FrameView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_fullScreen->setGeometry(rect());
    updateMask();
}

void FrameView::setOpaqueBody(bool opaque)
{
    if (opaque == m_appearance.opaque())
        return;
    m_appearance.setOpaque(opaque);
    updateMask();
    update();
}

void FrameView::updateMask()
{
    if (!m_appearance.opaque()) {
        clearMask();
        return;
    }
    QPainterPath body;
    if (isFullScreen()) {
        body.addRoundedRect(m_fullScreen->panelRect(), FullScreenFrame::panelRadius, FullScreenFrame::panelRadius);
    } else {
        const double radius = bodyRadius();
        body.addRoundedRect(cardRect(), radius, radius);
    }
    // Drawn rather than converted from a polygon: a polygon's region takes pixels by their
    // corners, not their centres, and would keep a sliver beyond the painted body.
    QBitmap shape(size());
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawPath(body);
    painter.end();
    setMask(shape);
}

void FrameView::showNextPage()
{
    const QStringList views = m_model.manifest() ? m_model.manifest()->pageNames : QStringList();
    if (const std::optional<QString> next = PageCycle::next(m_model.view(), views))
        m_model.show(*next, true);
}

void FrameView::showPreviousPage()
{
    const QStringList views = m_model.manifest() ? m_model.manifest()->pageNames : QStringList();
    if (const std::optional<QString> previous = PageCycle::previous(m_model.view(), views))
        m_model.show(*previous, false);
}

void FrameView::openMenu(std::optional<QPoint> globalPosition)
{
    if (!m_menu)
        m_menu = new FrameMenu(m_model, this);
    m_menu->popup(globalPosition.value_or(mapToGlobal(pageRect().center().toPoint())));
    // Qt tells readers nothing they voice as a popup opens, and the status lines at its top are
    // not items the keyboard reaches.
    m_announcement->announce(m_menu->openingWords());
}

void FrameView::announce(bool pageChanged)
{
    if (!QAccessible::isActive())
        return;
    // A new page changes both; a screen reader voices the name of the object it is on.
    if (pageChanged) {
        QAccessibleEvent name(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&name);
    }
    QAccessibleEvent description(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    // Readers voice those changes only on the object they are on; the card rarely is.
    const QString failure = CardSpeech::failure(m_model);
    if (pageChanged)
        m_announcement->announce(CardSpeech::description(m_model));
    else if (failure != m_spokenFailure)
        m_announcement->announce(failure);
    m_spokenFailure = failure;
}

void FrameView::finishTransitions()
{
    m_page.finish();
    m_fullScreen->finishTransitions();
}

void FrameView::mousePressEvent(QMouseEvent *event)
{
    // The full-screen grid covers the screen and stays put: it only offers its menu, when the
    // mouse reaches it at all.
    if (event->button() != Qt::LeftButton || isFullScreen()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressPosition = event->globalPosition().toPoint();
    m_windowAtPress = window()->pos();
    m_dragging = false;
}

void FrameView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressPosition || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint moved = event->globalPosition().toPoint() - *m_pressPosition;
    if (!m_dragging && moved.manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_dragging) {
        m_dragging = true;
        // The window manager moves the window itself where it can; that also ends the press.
        if (QWindow *handle = window()->windowHandle(); handle && handle->startSystemMove()) {
            m_pressPosition.reset();
            return;
        }
    }
    moveWindowTo(m_windowAtPress + moved);
}

void FrameView::moveWindowTo(const QPoint &position)
{
    window()->move(position);
}

void FrameView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressPosition) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool clicked = !m_dragging;
    m_pressPosition.reset();
    m_dragging = false;
    if (clicked)
        showNextPage();
}

void FrameView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        openMenu();
    else
        openMenu(event->globalPos());
}

void FrameView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (modifiers == Qt::NoModifier && key == Qt::Key_Right)
        showNextPage();
    else if (modifiers == Qt::NoModifier && key == Qt::Key_Left)
        showPreviousPage();
    else if ((modifiers == Qt::NoModifier && key == Qt::Key_Menu) ||
             (modifiers == Qt::ShiftModifier && key == Qt::Key_F10))
        openMenu();
    else
        QWidget::keyPressEvent(event);
}
