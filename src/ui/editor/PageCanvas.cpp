// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageCanvas.h"

#include "EditorState.h"
#include "SlotOverlay.h"
#include "SoftShadow.h"
#include "kit/PageGeometry.h"
#include "model/FrameModel.h"
#include "ui/common/UiStyle.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace {

constexpr double pageCornerRadius = 12;
constexpr double stackSpacing = 16;
// The overlay reaches this far beyond the slot on the left and right, and above and below.
constexpr double overlayOutsetX = 8;
constexpr double overlayOutsetY = 6;
constexpr int shadowRadius = 12;
constexpr double shadowOffsetY = 4;

} // namespace

PageCanvas::PageCanvas(FrameModel &model, EditorState &state, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_state(state)
    , m_image(model)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Page"));
    setMinimumSize(320, 200);

    connect(&model, &FrameModel::pagesChanged, this, &PageCanvas::pageChanged);
    connect(&model, &FrameModel::catalogueChanged, this, &PageCanvas::pageChanged);
    connect(&model, &FrameModel::renderedPagesChanged, this, &PageCanvas::reloadOverlays);
    // A stale slot says "Updating…" during a refresh and why it was not drawn after a failed one.
    connect(&model, &FrameModel::isRefreshingChanged, this, &PageCanvas::reloadOverlays);
    connect(&model, &FrameModel::lastRunErrorChanged, this, &PageCanvas::reloadOverlays);
    connect(&model, &FrameModel::imagesChanged, this, qOverload<>(&QWidget::update));
    connect(&model, &FrameModel::lookChanged, this, qOverload<>(&QWidget::update));
    connect(&state, &EditorState::selectionChanged, this, &PageCanvas::pageChanged);
    connect(&state, &EditorState::selectedSlotChanged, this, &PageCanvas::showSelection);
    pageChanged();
}

std::optional<Page> PageCanvas::page() const
{
    return m_state.selection() ? m_model.page(*m_state.selection()) : std::nullopt;
}

QList<QRectF> PageCanvas::slotRects(const Catalogue &catalogue, const Page &page)
{
    const std::optional<Layout> layout = catalogue.layout(page.layout);
    return PageGeometry::slotRects(layout ? layout->columns : QList<double>{1});
}

QRectF PageCanvas::pageRect() const
{
    const double pageWidth = std::max(0.0, std::min((height() - 80) * UiStyle::pageAspectRatio, width() - 48.0));
    const double pageHeight = pageWidth / UiStyle::pageAspectRatio;
    const double lineHeight = QFontMetricsF(UiStyle::font(*this, UiStyle::Text::Callout)).height();
    const double stackHeight = pageHeight + stackSpacing + lineHeight;
    return QRectF((width() - pageWidth) / 2, (height() - stackHeight) / 2, pageWidth, pageHeight);
}

QRectF PageCanvas::hintRect() const
{
    const QRectF page = pageRect();
    const double lineHeight = QFontMetricsF(UiStyle::font(*this, UiStyle::Text::Callout)).height();
    return QRectF(0, page.bottom() + stackSpacing, width(), lineHeight);
}

QString PageCanvas::hint() const
{
    return m_state.selectedSlot() ? QStringLiteral("Choose a widget in the inspector. Press Delete to empty the slot.")
                                  : QStringLiteral("Click a slot to choose its widget.");
}

void PageCanvas::pageChanged()
{
    const std::optional<Page> shown = page();
    const QList<QRectF> rects =
        shown && m_model.catalogue() ? slotRects(*m_model.catalogue(), *shown) : QList<QRectF>();
    if (rects != m_slotRects || m_overlays.size() != rects.size()) {
        m_slotRects = rects;
        rebuildOverlays();
    }
    for (SlotOverlay *overlay : std::as_const(m_overlays))
        overlay->setPageId(shown ? shown->id : QUuid());
    showSelection();
    update();
}

void PageCanvas::rebuildOverlays()
{
    // An overlay may be the one whose menu or key started this change: it goes once that
    // event has finished.
    for (SlotOverlay *overlay : std::as_const(m_overlays)) {
        overlay->hide();
        overlay->deleteLater();
    }
    m_overlays.clear();
    m_hovered.reset();
    for (int index = 0; index < m_slotRects.size(); ++index) {
        auto *overlay = new SlotOverlay(m_model, index, this);
        overlay->installEventFilter(this);
        connect(overlay, &SlotOverlay::clicked, this, [this, index] { m_state.setSelectedSlot(index); });
        connect(overlay, &SlotOverlay::hoverEntered, this, [this](int entered) { setHovered(entered); });
        connect(overlay, &SlotOverlay::hoverLeft, this, [this](int left) {
            if (m_hovered == left)
                setHovered(std::nullopt);
        });
        m_overlays.append(overlay);
        overlay->show();
    }
    // Tab goes through the slots left to right.
    for (qsizetype i = 1; i < m_overlays.size(); ++i)
        setTabOrder(m_overlays.at(i - 1), m_overlays.at(i));
    placeOverlays();
}

void PageCanvas::placeOverlays()
{
    const QRectF page = pageRect();
    for (int index = 0; index < m_overlays.size(); ++index) {
        const QRectF slot = m_slotRects.at(index);
        const QRectF frame(page.left() + slot.x() * page.width() - overlayOutsetX,
                           page.top() + slot.y() * page.height() - overlayOutsetY,
                           slot.width() * page.width() + 2 * overlayOutsetX,
                           slot.height() * page.height() + 2 * overlayOutsetY);
        m_overlays.at(index)->setGeometry(frame.toRect());
    }
}

void PageCanvas::reloadOverlays()
{
    // A refresh has drawn the pages: which picture belongs to the page may have changed too.
    for (SlotOverlay *overlay : std::as_const(m_overlays))
        overlay->reload();
    update();
}

void PageCanvas::showSelection()
{
    const bool focusInSlots = std::any_of(m_overlays.cbegin(), m_overlays.cend(),
                                          [](const SlotOverlay *overlay) { return overlay->hasFocus(); });
    for (SlotOverlay *overlay : std::as_const(m_overlays)) {
        const bool selected = m_state.selectedSlot() == overlay->index();
        overlay->setSelected(selected);
        // Keyboard focus follows the selection while it is on the slots, so arrows and Tab agree.
        if (selected && focusInSlots)
            overlay->setFocus(Qt::OtherFocusReason);
    }
    update(hintRect().toAlignedRect());
}

void PageCanvas::setHovered(std::optional<int> hovered)
{
    m_hovered = hovered;
    for (SlotOverlay *overlay : std::as_const(m_overlays))
        overlay->setHovered(hovered == overlay->index());
}

int PageCanvas::lastSlot() const
{
    const std::optional<Page> shown = page();
    const std::optional<Layout> layout =
        shown && m_model.catalogue() ? m_model.catalogue()->layout(shown->layout) : std::nullopt;
    return layout ? std::max(0, int(layout->columns.size()) - 1) : 0;
}

void PageCanvas::emptySelectedSlot()
{
    const std::optional<Page> shown = page();
    if (shown && m_state.selectedSlot())
        m_model.setWidget(std::nullopt, shown->id, *m_state.selectedSlot());
}

void PageCanvas::stepSelection(int step)
{
    // From no selection, either arrow lands on the first slot.
    if (step < 0)
        m_state.setSelectedSlot(std::max(m_state.selectedSlot().value_or(1) - 1, 0));
    else
        m_state.setSelectedSlot(std::min(m_state.selectedSlot().value_or(-1) + 1, lastSlot()));
}

void PageCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), UiStyle::underPage(palette()));

    const std::optional<Page> shown = page();
    if (!shown)
        return;
    const QRectF pageArea = pageRect();
    paintShadow(painter, pageArea);
    m_image.paint(painter, pageArea, *shown, pageCornerRadius, UiStyle::isDark(palette()),
                  UiStyle::separator(palette()));

    painter.setFont(UiStyle::font(*this, UiStyle::Text::Callout));
    painter.setPen(UiStyle::secondary(palette()));
    painter.drawText(hintRect(), Qt::AlignHCenter | Qt::AlignTop, hint());
}

void PageCanvas::paintShadow(QPainter &painter, const QRectF &page)
{
    if (page.size() != m_shadowSize) {
        m_shadowSize = page.size();
        m_shadow =
            SoftShadow::image(page.size(), pageCornerRadius, shadowRadius, QColor(0, 0, 0, 31), devicePixelRatioF());
    }
    if (!m_shadow.isNull())
        painter.drawImage(page.topLeft() + QPointF(-shadowRadius, -shadowRadius + shadowOffsetY), m_shadow);
}

void PageCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlays();
}

void PageCanvas::mousePressEvent(QMouseEvent *event)
{
    // Only clicks beside the slots arrive here: a slot takes its own clicks.
    m_state.setSelectedSlot(std::nullopt);
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

bool PageCanvas::claimsKey(QEvent *event) const
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_state.selectedSlot().has_value();
}

bool PageCanvas::event(QEvent *event)
{
    if (claimsKey(event)) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool PageCanvas::eventFilter(QObject *watched, QEvent *event)
{
    // A focused slot passes the key on to the canvas, which then drops the selection.
    if (claimsKey(event)) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageCanvas::keyPressEvent(QKeyEvent *event)
{
    // Without a page on show (no page, or no widget list) there is nothing for the keys to act on.
    if (m_overlays.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        m_state.setSelectedSlot(std::nullopt);
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        emptySelectedSlot();
        break;
    case Qt::Key_Left:
        stepSelection(-1);
        break;
    case Qt::Key_Right:
        stepSelection(+1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
