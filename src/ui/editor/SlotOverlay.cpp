// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlotOverlay.h"

#include "model/FrameModel.h"
#include "ui/common/SymbolIcon.h"
#include "ui/common/UiStyle.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <algorithm>

namespace {

constexpr double cornerRadius = 10;
constexpr int spinnerTicks = 8;

QPainterPath roundedShape(const QRectF &rect, double radius = cornerRadius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The colour with its own opacity scaled by `alpha`.
QColor fainter(QColor colour, double alpha)
{
    colour.setAlphaF(float(colour.alphaF() * alpha));
    return colour;
}

// A border of `width` drawn inside the shape's edge.
void strokeInside(QPainter &painter, const QRectF &shape, const QPen &pen)
{
    const double inset = pen.widthF() / 2;
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(shape.adjusted(inset, inset, -inset, -inset), cornerRadius - inset, cornerRadius - inset);
}

} // namespace

SlotOverlay::SlotOverlay(FrameModel &model, int index, QWidget *parent)
    : QAbstractButton(parent)
    , m_model(model)
    , m_index(index)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);

    m_spinner = new QVariantAnimation(this);
    m_spinner->setStartValue(0);
    m_spinner->setEndValue(spinnerTicks);
    m_spinner->setDuration(800);
    m_spinner->setLoopCount(-1);
    connect(m_spinner, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    updateAccessibleName();
}

void SlotOverlay::setPageId(const QUuid &id)
{
    m_pageId = id;
    reload();
}

void SlotOverlay::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    QWidget::update();
}

void SlotOverlay::setHovered(bool hovered)
{
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    QWidget::update();
}

std::optional<Widget> SlotOverlay::widget() const
{
    const std::optional<Page> page = m_model.page(m_pageId);
    if (!page || !m_model.catalogue() || m_index >= page->slotWidgets.size())
        return std::nullopt;
    return m_model.catalogue()->widget(page->slotWidgets.at(m_index));
}

bool SlotOverlay::isUpdating() const
{
    const std::optional<Page> page = m_model.page(m_pageId);
    return page && widget() && m_model.isStale(*page, m_index);
}

QMenu *SlotOverlay::makeMenu()
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QMenu *choose = menu->addMenu(QStringLiteral("Choose Widget"));
    const QUuid page = m_pageId;
    const int slot = m_index;
    FrameModel *model = &m_model;
    if (m_model.catalogue()) {
        for (const Catalogue::Group &group : m_model.catalogue()->groups()) {
            choose->addSection(group.name);
            for (const Widget &widget : group.widgets) {
                const QString id = widget.id;
                choose->addAction(widget.title, this, [model, id, page, slot] { model->setWidget(id, page, slot); });
            }
        }
    }
    if (widget()) {
        QAction *remove = menu->addAction(QStringLiteral("Remove Widget"), this,
                                          [model, page, slot] { model->setWidget(std::nullopt, page, slot); });
        remove->setIcon(SymbolIcon::icon(QStringLiteral("edit-delete"), UiStyle::destructive(palette())));
    }
    return menu;
}

void SlotOverlay::reload()
{
    setToolTip(showsFailure() ? m_model.staleSlotText() : QString());
    updateAccessibleName();
    updateSpinner();
    QWidget::update();
}

void SlotOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = rect();
    const std::optional<Widget> held = widget();

    if (held && isUpdating())
        paintUpdating(painter, shape, *held);
    else if (!held)
        paintEmpty(painter, shape);
    paintHighlight(painter, shape);
    if (held && m_hovered && !m_selected)
        paintNameTag(painter, shape, *held);
}

void SlotOverlay::paintUpdating(QPainter &painter, const QRectF &shape, const Widget &widget)
{
    painter.fillPath(roundedShape(shape), UiStyle::regularMaterial(palette()));

    const QFont headline = UiStyle::font(*this, UiStyle::Text::Headline);
    const QFont symbolFont = UiStyle::font(*this, UiStyle::Text::Title2);
    const QFont secondaryFont = UiStyle::font(*this, UiStyle::Text::Body);
    const int symbolSize = QFontMetrics(symbolFont).height();
    const double lineGap = 6;
    const QFontMetricsF headlineMetrics(headline);
    const QFontMetricsF secondaryMetrics(secondaryFont);
    // After a failed refresh the slot says why it was not drawn, on up to three lines.
    const bool failed = showsFailure();
    const QString status = m_model.staleSlotText();
    const QRectF statusRoom(0, 0, std::max(shape.width() - 24, 1.0), secondaryMetrics.height() * 3);
    const double statusHeight =
        failed ? std::min(secondaryMetrics.boundingRect(statusRoom, Qt::TextWordWrap, status).height(),
                          statusRoom.height())
               : secondaryMetrics.height();
    const double height = symbolSize + lineGap + headlineMetrics.height() + lineGap + statusHeight;
    double y = shape.center().y() - height / 2;

    const QPixmap symbol =
        SymbolIcon::pixmap(widget.symbol, symbolSize, UiStyle::primary(palette()), devicePixelRatioF());
    if (!symbol.isNull())
        painter.drawPixmap(QPointF(shape.center().x() - symbolSize / 2.0, y), symbol);
    y += symbolSize + lineGap;

    painter.setFont(headline);
    painter.setPen(UiStyle::primary(palette()));
    const QString title = headlineMetrics.elidedText(widget.title, Qt::ElideRight, shape.width() - 16);
    painter.drawText(QRectF(shape.left(), y, shape.width(), headlineMetrics.height()), Qt::AlignCenter, title);
    y += headlineMetrics.height() + lineGap;

    painter.setFont(secondaryFont);
    painter.setPen(UiStyle::secondary(palette()));
    if (failed) {
        const QRectF room(shape.center().x() - statusRoom.width() / 2, y, statusRoom.width(), statusHeight);
        painter.save();
        painter.setClipRect(room);
        painter.drawText(room, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, status);
        painter.restore();
        return;
    }
    const QString &updating = status;
    const double spinnerSize = secondaryMetrics.height() * 0.9;
    const double rowWidth = spinnerSize + 6 + secondaryMetrics.horizontalAdvance(updating);
    const double x = shape.center().x() - rowWidth / 2;
    paintSpinner(painter, QPointF(x + spinnerSize / 2, y + secondaryMetrics.height() / 2), spinnerSize);
    painter.drawText(QRectF(x + spinnerSize + 6, y, rowWidth, secondaryMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, updating);
}

void SlotOverlay::paintEmpty(QPainter &painter, const QRectF &shape)
{
    // Under an empty slot the picture shows the page view's own placeholder text, or the old
    // widget until the refresh ends; the invitation to add one reads on a plain ground instead.
    painter.fillPath(roundedShape(shape), UiStyle::regularMaterial(palette()));
    const QColor primary = UiStyle::primary(palette());
    painter.fillPath(roundedShape(shape), fainter(primary, m_hovered || m_selected ? 0.06 : 0.03));
    QPen dashed(fainter(UiStyle::secondary(palette()), 0.7), 1.5);
    dashed.setDashPattern({4, 3});
    strokeInside(painter, shape, dashed);

    const QFont headline = UiStyle::font(*this, UiStyle::Text::Headline);
    const QFontMetricsF metrics(headline);
    const QString label = QStringLiteral("Add Widget");
    const int iconSize = qRound(metrics.height());
    const double width = iconSize + 6 + metrics.horizontalAdvance(label);
    const QPointF origin(shape.center().x() - width / 2, shape.center().y() - metrics.height() / 2);
    const QColor secondary = UiStyle::secondary(palette());
    const QPixmap icon = SymbolIcon::pixmap(QStringLiteral("list-add"), iconSize, secondary, devicePixelRatioF());
    if (!icon.isNull())
        painter.drawPixmap(origin, icon);
    painter.setFont(headline);
    painter.setPen(secondary);
    painter.drawText(QRectF(origin.x() + iconSize + 6, origin.y(), width, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
}

void SlotOverlay::paintHighlight(QPainter &painter, const QRectF &shape)
{
    const QColor accent = UiStyle::accent(palette());
    if (m_selected) {
        painter.fillPath(roundedShape(shape), fainter(accent, 0.06));
        strokeInside(painter, shape, QPen(accent, 2.5));
    } else if (m_hovered) {
        strokeInside(painter, shape, QPen(fainter(UiStyle::secondary(palette()), 0.6), 1));
    } else if (hasFocus()) {
        // Reached with Tab: shown like a hover in the accent colour, so the keyboard user sees
        // where Space or Return will select.
        strokeInside(painter, shape, QPen(fainter(accent, 0.7), 1.5));
    }
}

void SlotOverlay::paintNameTag(QPainter &painter, const QRectF &shape, const Widget &widget)
{
    const QFont caption = UiStyle::font(*this, UiStyle::Text::CaptionMedium);
    const QFontMetricsF metrics(caption);
    const int iconSize = qRound(metrics.height() * 0.9);
    const double width = 8 + iconSize + 4 + metrics.horizontalAdvance(widget.shortName) + 8;
    const double height = metrics.height() + 8;
    const QRectF tag(shape.right() - 8 - width, shape.bottom() - 8 - height, width, height);

    painter.fillPath(roundedShape(tag, height / 2), UiStyle::thinMaterial(palette()));
    painter.setPen(QPen(UiStyle::separator(palette()), 0.5));
    painter.drawRoundedRect(tag, height / 2, height / 2);
    const QColor primary = UiStyle::primary(palette());
    const QPixmap icon = SymbolIcon::pixmap(widget.symbol, iconSize, primary, devicePixelRatioF());
    if (!icon.isNull())
        painter.drawPixmap(QPointF(tag.left() + 8, tag.center().y() - iconSize / 2.0), icon);
    painter.setFont(caption);
    painter.setPen(primary);
    painter.drawText(tag.adjusted(8 + iconSize + 4, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, widget.shortName);
}

void SlotOverlay::paintSpinner(QPainter &painter, const QPointF &centre, double size)
{
    const int step = m_spinner->currentValue().toInt();
    const QColor colour = UiStyle::secondary(palette());
    painter.save();
    painter.translate(centre);
    for (int tick = 0; tick < spinnerTicks; ++tick) {
        // The tick at the animation's step is darkest; the ones behind it fade.
        const int age = (step - tick + spinnerTicks) % spinnerTicks;
        painter.setPen(QPen(fainter(colour, 1.0 - age * 0.1), size * 0.12, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -size * 0.25), QPointF(0, -size * 0.48));
        painter.rotate(360.0 / spinnerTicks);
    }
    painter.restore();
}

bool SlotOverlay::showsFailure() const
{
    return isUpdating() && !m_model.isRefreshing() && m_model.errorLine().has_value();
}

void SlotOverlay::updateSpinner()
{
    // Nothing turns once a refresh has failed: nothing is being drawn.
    const bool spin = isVisible() && isUpdating() && !showsFailure();
    if (spin && m_spinner->state() != QAbstractAnimation::Running)
        m_spinner->start();
    else if (!spin)
        m_spinner->stop();
}

void SlotOverlay::updateAccessibleName()
{
    const std::optional<Widget> held = widget();
    const QString name =
        QStringLiteral("Slot %1: %2").arg(m_index + 1).arg(held ? held->title : QStringLiteral("empty"));
    setAccessibleName(name);
    setText(name);
}

void SlotOverlay::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    Q_EMIT hoverEntered(m_index);
}

void SlotOverlay::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    Q_EMIT hoverLeft(m_index);
}

void SlotOverlay::contextMenuEvent(QContextMenuEvent *event)
{
    makeMenu()->popup(event->globalPos());
}

void SlotOverlay::keyPressEvent(QKeyEvent *event)
{
    // Escape, Delete and the arrows belong to the canvas; Space and Return press the button.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        click();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void SlotOverlay::showEvent(QShowEvent *event)
{
    QAbstractButton::showEvent(event);
    updateSpinner();
}

void SlotOverlay::hideEvent(QHideEvent *event)
{
    QAbstractButton::hideEvent(event);
    updateSpinner();
}

bool SlotOverlay::hitButton(const QPoint &position) const
{
    return roundedShape(rect()).contains(position);
}
