// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageThumbnailDelegate.h"

#include "PageListModel.h"
#include "model/FrameModel.h"
#include "ui/common/UiStyle.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <algorithm>

namespace {

constexpr double rowPadding = 8;
constexpr double rowGap = 4; // between rows, where the selection backgrounds stay apart
constexpr double captionSpacing = 6;
constexpr double thumbnailRadius = 5;
constexpr double selectionRadius = 8;

} // namespace

PageThumbnailDelegate::PageThumbnailDelegate(const FrameModel &model, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
    , m_image(model)
{}

QRectF PageThumbnailDelegate::contentRect(const QRectF &rowRect)
{
    return rowRect.adjusted(rowPadding, rowPadding + rowGap / 2, -rowPadding, -rowPadding - rowGap / 2);
}

void PageThumbnailDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QPalette &palette = option.palette;
    const QRectF rowRect(option.rect.topLeft(),
                         QSizeF(std::min(option.rect.width(), rowWidth(option)), option.rect.height()));
    const QRectF row = rowRect.adjusted(4, rowGap / 2, -4, -rowGap / 2);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    const bool selected = option.state & QStyle::State_Selected;
    if (selected || option.state & QStyle::State_MouseOver) {
        QColor fill = UiStyle::accent(palette);
        fill.setAlphaF(selected ? 0.22f : 0.07f);
        QPainterPath shape;
        shape.addRoundedRect(row, selectionRadius, selectionRadius);
        painter->fillPath(shape, fill);
    }
    if (option.state & QStyle::State_HasFocus && selected) {
        QColor ring = UiStyle::accent(palette);
        ring.setAlphaF(0.55f);
        painter->setPen(QPen(ring, 1.5));
        painter->drawRoundedRect(row.adjusted(0.75, 0.75, -0.75, -0.75), selectionRadius, selectionRadius);
    }

    const QRectF content = contentRect(rowRect);
    const QRectF picture(content.topLeft(), QSizeF(content.width(), content.width() / UiStyle::pageAspectRatio));
    const std::optional<Page> page = m_model.page(index.data(PageListModel::PageIdRole).toUuid());
    if (page) {
        m_image.paint(*painter, picture, *page, thumbnailRadius, UiStyle::isDark(palette), UiStyle::separator(palette));
    }
    const QRectF caption(content.left(), picture.bottom() + captionSpacing, content.width(),
                         content.bottom() - picture.bottom() - captionSpacing);
    paintCaption(*painter, caption, option, index.row() + 1, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

void PageThumbnailDelegate::paintCaption(QPainter &painter, const QRectF &rect, const QStyleOptionViewItem &option,
                                         int position, const QString &title) const
{
    const QFont callout = UiStyle::font(option.font, UiStyle::Text::Callout);
    // Interface fonts draw their digits at one width, so positions line up down the list.
    const QFontMetricsF metrics(callout);

    const QString number = QString::number(position);
    const double numberWidth = metrics.horizontalAdvance(number);
    const double available = rect.width() - numberWidth - captionSpacing;
    const QString shown = metrics.elidedText(title, Qt::ElideRight, std::max(0.0, available));
    const double width = numberWidth + captionSpacing + metrics.horizontalAdvance(shown);
    double x = rect.left() + std::max(0.0, (rect.width() - width) / 2);

    painter.setFont(callout);
    painter.setPen(UiStyle::secondary(option.palette));
    painter.drawText(QRectF(x, rect.top(), numberWidth + 1, rect.height()), Qt::AlignLeft | Qt::AlignVCenter, number);
    x += numberWidth + captionSpacing;
    painter.setFont(callout);
    painter.setPen(UiStyle::primary(option.palette));
    painter.drawText(QRectF(x, rect.top(), rect.right() - x, rect.height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

int PageThumbnailDelegate::rowWidth(const QStyleOptionViewItem &option)
{
    // The room beside a scroll bar, whether one shows or not: a long list's scroll bar appearing
    // would otherwise narrow and shorten every row, and the rows would shift after an edit.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    if (!view)
        return option.rect.width() > 0 ? option.rect.width() : 232;
    const int scrollBar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    return std::max(1, view->width() - 2 * view->frameWidth() - scrollBar);
}

QSize PageThumbnailDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int width = rowWidth(option);
    const double pictureWidth = width - 2 * rowPadding;
    const double captionHeight = QFontMetricsF(UiStyle::font(option.font, UiStyle::Text::Callout)).height();
    const double height =
        2 * rowPadding + rowGap + pictureWidth / UiStyle::pageAspectRatio + captionSpacing + captionHeight;
    return QSize(width, qCeil(height));
}
