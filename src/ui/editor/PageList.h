// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class EditorState;
class FrameModel;
class PageListModel;
class QListView;
class QMenu;
class QToolButton;

// The editor's sidebar: the pages under the heading "Pages", each a thumbnail with its position
// and title; rows are dragged to reorder the pages and have a menu of page commands; "Add Page"
// stays pinned below the list. Selecting a row selects its page in the editor.
class PageList : public QWidget
{
    Q_OBJECT

public:
    PageList(FrameModel &model, EditorState &state, QWidget *parent = nullptr);

    QListView *listView() const { return m_list; }
    PageListModel *listModel() const { return m_listModel; }
    QToolButton *addPageButton() const { return m_addPage; }

    // The menu of the row at `row`: "New Page After", "Duplicate", "Delete". The caller shows it;
    // it deletes itself once closed.
    QMenu *rowMenu(int row);

private:
    // Moves the selected page `step` places (−1 up, +1 down), within the list.
    void moveSelectedPage(int step);

    void addPageAfterSelection();
    void newPageAfter(const QUuid &id);
    void duplicate(const QUuid &id);
    void remove(const QUuid &id);
    void showRowMenu(const QPoint &position);
    void selectStateRow();
    void rowChosen();
    void rowHighlighted();

    FrameModel &m_model;
    EditorState &m_state;
    PageListModel *m_listModel = nullptr;
    QListView *m_list = nullptr;
    QToolButton *m_addPage = nullptr;
};
