// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QUuid>
#include <QWidget>

class EditorState;
class FrameModel;
class PageInspector;
class WidgetInspector;

// The editor's right-hand column for the selected page: the widget inspector when a slot of
// the page's layout is selected, the page inspector otherwise (also for a slot index beyond the
// layout). Each inspector is made for one page (and slot) and follows that page's edits.
class Inspector : public QWidget
{
    Q_OBJECT

public:
    Inspector(FrameModel &model, EditorState &state, QWidget *parent = nullptr);

    PageInspector *pageInspector() const;
    WidgetInspector *widgetInspector() const;

    // Whether `slot` names a column of the page's layout in the catalogue; the widget inspector
    // is shown for such slots only.
    static bool isLayoutSlot(const FrameModel &model, const QUuid &page, int slot);

private:
    void choose();

    FrameModel &m_model;
    EditorState &m_state;
    QPointer<QWidget> m_current;
    // What the current inspector was made for: the page, and the slot (-1 for the page inspector).
    QUuid m_page;
    int m_slot = -1;
};
