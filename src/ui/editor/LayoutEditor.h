// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <optional>

class EditorState;
class FrameModel;
class Inspector;
class PageCanvas;
class PageList;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolButton;
class UnavailableView;

// The window in which the user arranges pages: the page list on the left, the selected page
// large in the middle with a clickable overlay per slot, and the inspector on the right. The
// toolbar holds Undo, Redo, the page's layout and the inspector switch, with the page's title
// and the refresh status beside them. Every change goes through the model's editing operations,
// so each can be undone. The window is kept when closed, and with it the selection.
class LayoutEditor : public QMainWindow
{
    Q_OBJECT

public:
    explicit LayoutEditor(FrameModel &model, QWidget *parent = nullptr);
    ~LayoutEditor() override;

    EditorState &state() const { return *m_state; }
    PageList *pageList() const { return m_pageList; }
    PageCanvas *canvas() const { return m_canvas; }
    Inspector *inspector() const { return m_inspector; }
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    QAction *inspectorAction() const { return m_inspectorToggle; }
    QToolButton *layoutButton() const { return m_layoutButton; }
    // The toolbar item of the layout button; shown only with a page and the widget list.
    QAction *layoutItem() const { return m_layoutItem; }
    QMenu *layoutMenu() const { return m_layoutMenu; }

    // The page's title from the catalogue, else "Edit Layout"; under it the refresh status.
    QString navigationTitle() const;
    QString navigationSubtitle() const;
    // What the middle and right columns show now.
    QWidget *currentDetail() const;
    QWidget *currentInspectorColumn() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildToolbar();
    QWidget *buildTitleBlock();
    void buildColumns();
    QWidget *buildDetailColumn();
    QWidget *buildInspectorColumn();
    void contentShown();
    void showCurrentState();
    void updateTitles();
    void updateLayoutMenu();
    void addFirstPage();

    FrameModel &m_model;
    EditorState *m_state = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_inspectorToggle = nullptr;
    QAction *m_layoutItem = nullptr;
    QToolButton *m_layoutButton = nullptr;
    QMenu *m_layoutMenu = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    QSplitter *m_columns = nullptr;
    PageList *m_pageList = nullptr;
    QStackedWidget *m_detail = nullptr;
    UnavailableView *m_noCatalogue = nullptr;
    UnavailableView *m_noPage = nullptr;
    PageCanvas *m_canvas = nullptr;
    QStackedWidget *m_inspectorColumn = nullptr;
    Inspector *m_inspector = nullptr;
    UnavailableView *m_nothingSelected = nullptr;
    QWidget *m_noInspector = nullptr;
};
