// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageList.h"

#include "EditorState.h"
#include "PageListModel.h"
#include "PageThumbnailDelegate.h"
#include "model/FrameModel.h"
#include "ui/common/SymbolIcon.h"
#include "ui/common/UiStyle.h"

#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

PageList::PageList(FrameModel &model, EditorState &state, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_state(state)
{
    // The sidebar sits on the same ground as the inspector's form, set off from the canvas.
    QPalette ground = palette();
    ground.setColor(QPalette::Window, UiStyle::formBackground(palette()));
    setPalette(ground);
    setAutoFillBackground(true);

    auto *header = new QLabel(QStringLiteral("Pages"), this);
    header->setFont(UiStyle::font(*this, UiStyle::Text::SectionHeader));
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::WindowText, UiStyle::secondary(palette()));
    header->setPalette(headerPalette);
    header->setContentsMargins(14, 12, 12, 4);

    m_listModel = new PageListModel(model, this);
    m_list = new QListView(this);
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(new PageThumbnailDelegate(model, m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->setDragDropOverwriteMode(false);
    m_list->setDropIndicatorShown(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setAccessibleName(QStringLiteral("Pages"));
    m_list->setToolTip(QStringLiteral("Drag a page to move it, or press Alt+Up and Alt+Down"));
    // Pages move by keyboard too, one place at a time; the selection follows the page.
    for (const auto &[key, step] : {std::pair{Qt::Key_Up, -1}, std::pair{Qt::Key_Down, 1}}) {
        auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | key), m_list);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { moveSelectedPage(step); });
    }

    m_addPage = new QToolButton(this);
    m_addPage->setText(QStringLiteral("Add Page"));
    m_addPage->setIcon(SymbolIcon::icon(QStringLiteral("list-add"), UiStyle::primary(palette())));
    m_addPage->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_addPage->setAutoRaise(true);
    m_addPage->setToolTip(QStringLiteral("Add a page after the selected one"));
    m_addPage->setFocusPolicy(Qt::StrongFocus);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(12, 8, 12, 8);
    bottom->addWidget(m_addPage);
    bottom->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(m_addPage, &QToolButton::clicked, this, &PageList::addPageAfterSelection);
    connect(m_list, &QListView::customContextMenuRequested, this, &PageList::showRowMenu);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &PageList::rowChosen);
    // Pressing a row and moving the pointer over others (a drag that does not start) moves the
    // highlight without moving the current row: the editor follows the highlight all the same.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PageList::rowHighlighted);
    connect(m_listModel, &QAbstractItemModel::modelReset, this, &PageList::selectStateRow);
    connect(&state, &EditorState::selectionChanged, this, &PageList::selectStateRow);
    selectStateRow();
}

QMenu *PageList::rowMenu(int row)
{
    const QUuid id = m_listModel->idAt(row);
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("New Page After"), this, [this, id] { newPageAfter(id); });
    menu->addAction(QStringLiteral("Duplicate"), this, [this, id] { duplicate(id); });
    menu->addSeparator();
    QAction *remove = menu->addAction(QStringLiteral("Delete"), this, [this, id] { this->remove(id); });
    remove->setEnabled(m_model.pages().size() >= 2);
    return menu;
}

void PageList::addPageAfterSelection()
{
    m_state.setSelection(m_model.addPage(m_state.selection()));
}

void PageList::newPageAfter(const QUuid &id)
{
    m_state.setSelection(m_model.addPage(id));
}

void PageList::duplicate(const QUuid &id)
{
    m_state.setSelection(m_model.duplicatePage(id));
}

void PageList::remove(const QUuid &id)
{
    if (m_model.pages().size() <= 1)
        return;
    m_model.removePage(id);
    if (m_state.selection() == id) {
        const QList<Page> &pages = m_model.pages();
        m_state.setSelection(pages.isEmpty() ? std::nullopt : std::optional<QUuid>(pages.first().id));
    }
}

void PageList::showRowMenu(const QPoint &position)
{
    // The menu key asks at the current row's place, so the keyboard reaches the menu too.
    const QModelIndex index = m_list->indexAt(position);
    if (index.isValid())
        rowMenu(index.row())->popup(m_list->viewport()->mapToGlobal(position));
}

void PageList::selectStateRow()
{
    const int row = m_state.selection() ? m_listModel->rowOf(*m_state.selection()) : -1;
    const QModelIndex index = m_listModel->index(row, 0);
    if (m_list->currentIndex() == index && (!index.isValid() || m_list->selectionModel()->isSelected(index)))
        return;
    if (!index.isValid()) {
        m_list->selectionModel()->clear();
        return;
    }
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index);
}

void PageList::rowChosen()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    m_state.setSelection(m_listModel->idAt(current.row()));
}

void PageList::rowHighlighted()
{
    // A cleared highlight (no page selected) chooses nothing.
    const QModelIndexList highlighted = m_list->selectionModel()->selectedIndexes();
    if (!highlighted.isEmpty())
        m_state.setSelection(m_listModel->idAt(highlighted.first().row()));
}

void PageList::moveSelectedPage(int step)
{
    const std::optional<QUuid> selected = m_state.selection();
    if (!selected)
        return;
    const QList<Page> &pages = m_model.pages();
    const auto found =
        std::find_if(pages.cbegin(), pages.cend(), [&](const Page &page) { return page.id == *selected; });
    if (found == pages.cend())
        return;
    const int position = int(found - pages.cbegin());
    const int target = position + step;
    if (target < 0 || target >= pages.size())
        return;
    // The destination counts places in the list before the move.
    m_model.movePages({position}, step < 0 ? target : target + 1);
}
