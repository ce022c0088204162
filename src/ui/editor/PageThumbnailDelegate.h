#pragma once

#include "PageImage.h"

#include <QStyledItemDelegate>

class FrameModel;

// One row of the editor's page list: the page's last image at the page's proportions, and
// under it the page's position (from 1) and title on one line, cut at the end when too long.
class PageThumbnailDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit PageThumbnailDelegate(const FrameModel &model, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintCaption(QPainter &painter, const QRectF &rect, const QStyleOptionViewItem &option, int position,
                      const QString &title) const;
    static QRectF contentRect(const QRectF &rowRect);
    // A row's width: the list's, less room for a scroll bar, so that it stays the same whether
    // the list scrolls or not.
    static int rowWidth(const QStyleOptionViewItem &option);

    const FrameModel &m_model;
    mutable PageImage m_image;
};
