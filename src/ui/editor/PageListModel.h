// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QUuid>

class FrameModel;

// The model's pages as rows of a list view, in page order. Rows are dragged to reorder them:
// a drop asks the frame model to move the pages, and the rows follow the page list it then
// announces.
class PageListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        PageIdRole = Qt::UserRole + 1,
    };

    static const QString positionsMimeType;

    explicit PageListModel(FrameModel &model, QObject *parent = nullptr);

    // The row of the first page with this identifier; -1 when there is none.
    int rowOf(const QUuid &id) const;
    QUuid idAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    // Moves the dragged pages before `row` (onto a row: before that row; below the last row:
    // to the end). The rows are rebuilt from the frame model, so the view must not move or
    // remove anything itself: the drop reports false.
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    // The list view's own internal move; goes the same way as a drop.
    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count, const QModelIndex &destinationParent,
                  int destinationChild) override;

private:
    void pagesChanged();

    FrameModel &m_model;
};
