// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageListModel.h"

#include "model/FrameModel.h"

#include <QMimeData>

const QString PageListModel::positionsMimeType = QStringLiteral("application/x-tessarine-page-positions");

namespace {

QList<int> positionsFrom(const QMimeData *data)
{
    QList<int> positions;
    if (!data)
        return positions;
    const QStringList parts = QString::fromLatin1(data->data(PageListModel::positionsMimeType)).split(u',');
    for (const QString &part : parts) {
        bool ok = false;
        const int position = part.toInt(&ok);
        if (ok)
            positions.append(position);
    }
    return positions;
}

} // namespace

PageListModel::PageListModel(FrameModel &model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    connect(&model, &FrameModel::pagesChanged, this, &PageListModel::pagesChanged);
    // Titles follow the catalogue; thumbnails follow the images, the pages they were drawn from
    // and the look.
    const auto repaint = [this] {
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0), index(rowCount() - 1));
    };
    connect(&model, &FrameModel::imagesChanged, this, repaint);
    connect(&model, &FrameModel::renderedPagesChanged, this, repaint);
    connect(&model, &FrameModel::lookChanged, this, repaint);
    connect(&model, &FrameModel::catalogueChanged, this, repaint);
}

int PageListModel::rowOf(const QUuid &id) const
{
    const QList<Page> &pages = m_model.pages();
    for (int row = 0; row < pages.size(); ++row) {
        if (pages.at(row).id == id)
            return row;
    }
    return -1;
}

QUuid PageListModel::idAt(int row) const
{
    return row >= 0 && row < m_model.pages().size() ? m_model.pages().at(row).id : QUuid();
}

int PageListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_model.pages().size());
}

QVariant PageListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_model.pages().size())
        return {};
    const Page &page = m_model.pages().at(index.row());
    const QString title = m_model.catalogue() ? m_model.catalogue()->title(page) : QStringLiteral("Page");
    switch (role) {
    case Qt::DisplayRole:
        return title;
    case Qt::AccessibleTextRole:
        return QStringLiteral("Page %1: %2").arg(index.row() + 1).arg(title);
    case PageIdRole:
        return page.id;
    default:
        return {};
    }
}

Qt::ItemFlags PageListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

Qt::DropActions PageListModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

Qt::DropActions PageListModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

QStringList PageListModel::mimeTypes() const
{
    return {positionsMimeType};
}

QMimeData *PageListModel::mimeData(const QModelIndexList &indexes) const
{
    QStringList positions;
    for (const QModelIndex &index : indexes)
        positions.append(QString::number(index.row()));
    auto *data = new QMimeData;
    data->setData(positionsMimeType, positions.join(u',').toLatin1());
    return data;
}

bool PageListModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int, const QModelIndex &) const
{
    return action == Qt::MoveAction && data && data->hasFormat(positionsMimeType);
}

bool PageListModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                 const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    int destination = row;
    if (destination < 0)
        destination = parent.isValid() ? parent.row() : rowCount();
    m_model.movePages(positionsFrom(data), destination);
    return false;
}

bool PageListModel::moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                             const QModelIndex &destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || count <= 0)
        return false;
    QList<int> positions;
    for (int row = sourceRow; row < sourceRow + count; ++row)
        positions.append(row);
    const QList<Page> before = m_model.pages();
    m_model.movePages(positions, destinationChild);
    return m_model.pages() != before;
}

void PageListModel::pagesChanged()
{
    // Any edit may add, remove, reorder or retitle pages; the list is short, so it is rebuilt.
    beginResetModel();
    endResetModel();
}
