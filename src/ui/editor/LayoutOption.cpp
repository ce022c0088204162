// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutOption.h"

#include "ui/common/AccessibleRole.h"
#include "ui/common/UiStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double previewHeight = 38;
constexpr double previewPadding = 5;
constexpr double previewRadius = 6;
constexpr double columnRadius = 2;
constexpr double columnSpacing = 3;
constexpr double titleSpacing = 6;

} // namespace

LayoutOption::LayoutOption(const Layout &layout, QWidget *parent)
    : QAbstractButton(parent)
    , m_layout(layout)
{
    setCheckable(true);
    // One layout a page: the options are a single choice.
    AccessibleRole::set(this, QAccessible::RadioButton);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setText(layout.title);
    setAccessibleName(layout.title);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize LayoutOption::sizeHint() const
{
    const QFontMetrics caption(UiStyle::font(*this, UiStyle::Text::Caption));
    const int height = qCeil(previewHeight + 2 * previewPadding + titleSpacing) + 2 * caption.height();
    return QSize(116, height);
}

QSize LayoutOption::minimumSizeHint() const
{
    return sizeHint();
}

void LayoutOption::nextCheckState()
{
    // The page's layout decides which option is current; a press only asks for the change.
}

QRectF LayoutOption::previewRect() const
{
    return QRectF(1, 1, width() - 2, previewHeight + 2 * previewPadding);
}

void LayoutOption::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colours = palette();
    const bool current = isCurrent();
    const QColor tint = UiStyle::accent(colours);

    const QRectF box = previewRect();
    QPainterPath boxShape;
    boxShape.addRoundedRect(box, previewRadius, previewRadius);
    painter.fillPath(boxShape, UiStyle::formBackground(colours));

    // Each column as wide as its own value says, the values taken as fractions as they stand.
    const QRectF inner = box.adjusted(previewPadding, previewPadding, -previewPadding, -previewPadding);
    const qsizetype columns = m_layout.columns.size();
    const double available = inner.width() - columnSpacing * double(std::max<qsizetype>(columns - 1, 0));
    QColor fill = current ? tint : UiStyle::secondary(colours);
    if (!current)
        fill.setAlphaF(fill.alphaF() * 0.45f);
    double x = inner.left();
    for (double column : m_layout.columns) {
        const double width = std::max(0.0, available * column);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(x, inner.top(), width, inner.height()), columnRadius, columnRadius);
        painter.fillPath(shape, fill);
        x += width + columnSpacing;
    }

    const double lineWidth = current ? 2 : 1;
    painter.setPen(QPen(current ? tint : UiStyle::separator(colours), lineWidth));
    painter.setBrush(Qt::NoBrush);
    const double inset = lineWidth / 2;
    painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), previewRadius - inset, previewRadius - inset);
    if (hasFocus() && !current) {
        painter.setPen(QPen(tint, 1.5, Qt::DotLine));
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), previewRadius, previewRadius);
    }

    painter.setFont(UiStyle::font(*this, UiStyle::Text::Caption));
    painter.setPen(current ? UiStyle::primary(colours) : UiStyle::secondary(colours));
    const QRectF titleArea(0, box.bottom() + titleSpacing, width(), height() - box.bottom() - titleSpacing);
    painter.drawText(titleArea, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_layout.title);
}
