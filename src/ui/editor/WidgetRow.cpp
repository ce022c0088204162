// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetRow.h"

#include "ui/common/AccessibleRole.h"
#include "ui/common/SymbolIcon.h"
#include "ui/common/UiStyle.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double badgeSize = 28;
constexpr double badgeRadius = 6;
constexpr int badgeSymbolSize = 15;
constexpr double rowSpacing = 10;
constexpr double lineSpacing = 2;
constexpr int checkSize = 16;
constexpr double verticalPadding = 5;
constexpr double focusRingWidth = 2;

} // namespace

WidgetRow::WidgetRow(const Widget &widget, QWidget *parent)
    : QAbstractButton(parent)
    , m_widget(widget)
{
    setCheckable(true);
    // One widget a slot: the rows are a single choice, not a list of check boxes.
    AccessibleRole::set(this, QAccessible::RadioButton);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setText(shortTitle(widget));
    setAccessibleName(shortTitle(widget));
    setAccessibleDescription(widget.description);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WidgetRow::setCurrent(bool current)
{
    setChecked(current);
    setAccessibleDescription(current ? QStringLiteral("In this slot. ") + m_widget.description : m_widget.description);
}

QString WidgetRow::shortTitle(const Widget &widget)
{
    const QString prefix = widget.group + QStringLiteral(": ");
    if (!widget.title.startsWith(prefix))
        return widget.title;
    QString rest = widget.title.mid(prefix.size());
    if (!rest.isEmpty())
        rest[0] = rest.at(0).toUpper();
    return rest;
}

QColor WidgetRow::groupColour(const QString &group, const QPalette &palette)
{
    if (group == QStringLiteral("GitHub"))
        return QColor(142, 142, 147);
    if (group == QStringLiteral("AI plans"))
        return QColor(175, 82, 222);
    if (group == QStringLiteral("Voice"))
        return QColor(255, 149, 0);
    if (group == QStringLiteral("Your day"))
        return QColor(0, 122, 255);
    QColor other = UiStyle::secondary(palette);
    other.setAlpha(255);
    return other;
}

QSize WidgetRow::sizeHint() const
{
    const QFontMetrics body(font());
    const QFontMetrics caption(UiStyle::font(*this, UiStyle::Text::Caption));
    const int text = body.height() + qCeil(lineSpacing) + caption.height();
    return QSize(200, qCeil(std::max<double>(badgeSize, text) + 2 * verticalPadding));
}

QSize WidgetRow::minimumSizeHint() const
{
    return QSize(120, sizeHint().height());
}

void WidgetRow::nextCheckState()
{
    // The slot's widget decides which row is current; a press only asks for the change.
}

void WidgetRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colours = palette();

    if (underMouse() || hasFocus()) {
        QColor wash = UiStyle::primary(colours);
        wash.setAlphaF(hasFocus() ? 0.07f : 0.04f);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(-6, 0, 6, 0), 6, 6);
        painter.fillPath(shape, wash);
    }
    if (hasFocus()) {
        // The faint wash alone hardly differs from the panel; the ring is what a keyboard user
        // follows, in the focus colour that stands out from a light or dark panel.
        painter.setPen(QPen(UiStyle::focusRing(colours), focusRingWidth));
        painter.setBrush(Qt::NoBrush);
        const double inset = focusRingWidth / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 6, 6);
    }

    const QRectF badge(0, (height() - badgeSize) / 2, badgeSize, badgeSize);
    paintBadge(painter, badge);

    const double textLeft = badge.right() + rowSpacing;
    const double textRight = width() - (isCurrent() ? checkSize + rowSpacing : 0);
    const QFont caption = UiStyle::font(*this, UiStyle::Text::Caption);
    const QFontMetricsF bodyMetrics(font());
    const QFontMetricsF captionMetrics(caption);
    const double textHeight = bodyMetrics.height() + lineSpacing + captionMetrics.height();
    const double top = (height() - textHeight) / 2;
    const double textWidth = std::max(0.0, textRight - textLeft);

    painter.setFont(font());
    painter.setPen(UiStyle::primary(colours));
    painter.drawText(QRectF(textLeft, top, textWidth, bodyMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     bodyMetrics.elidedText(shortTitle(m_widget), Qt::ElideRight, textWidth));
    painter.setFont(caption);
    painter.setPen(UiStyle::secondary(colours));
    painter.drawText(QRectF(textLeft, top + bodyMetrics.height() + lineSpacing, textWidth, captionMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     captionMetrics.elidedText(m_widget.description, Qt::ElideRight, textWidth));

    if (isCurrent()) {
        const QPixmap check = SymbolIcon::pixmap(QStringLiteral("object-select"), checkSize, UiStyle::accent(colours),
                                                 devicePixelRatioF());
        painter.drawPixmap(QPointF(width() - checkSize, (height() - checkSize) / 2.0), check);
    }
}

void WidgetRow::paintBadge(QPainter &painter, const QRectF &badge)
{
    const QColor base = groupColour(m_widget.group, palette());
    QLinearGradient gradient(badge.topLeft(), badge.bottomLeft());
    gradient.setColorAt(0, base.lighter(118));
    gradient.setColorAt(1, base);
    QPainterPath shape;
    shape.addRoundedRect(badge, badgeRadius, badgeRadius);
    painter.fillPath(shape, gradient);

    const QPixmap symbol = SymbolIcon::pixmap(m_widget.symbol, badgeSymbolSize, Qt::white, devicePixelRatioF());
    if (!symbol.isNull())
        painter.drawPixmap(badge.center() - QPointF(badgeSymbolSize / 2.0, badgeSymbolSize / 2.0), symbol);
}

void WidgetRow::keyPressEvent(QKeyEvent *event)
{
    // A row is chosen like a list item: Return and Enter as well as Space.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
