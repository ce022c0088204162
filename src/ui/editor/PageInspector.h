// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "InspectorForm.h"

#include <QList>
#include <QUuid>

class EditorState;
class FrameModel;
class LayoutOption;
class QLineEdit;
class QPushButton;

// The inspector of a page with no slot selected: its name (saved when Return is pressed), its
// layout chosen from a grid of previews, "Duplicate Page", "Delete Page", and "Reset to Default
// Pages".
class PageInspector : public InspectorForm
{
    Q_OBJECT

public:
    PageInspector(FrameModel &model, EditorState &state, const QUuid &page, QWidget *parent = nullptr);

    QUuid pageId() const { return m_page; }
    QLineEdit *nameField() const { return m_name; }
    const QList<LayoutOption *> &layoutOptions() const { return m_layoutOptions; }
    QPushButton *duplicateButton() const { return m_duplicate; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *resetButton() const { return m_reset; }

private:
    void addNameSection();
    void addLayoutSection();
    void addPageCommands();
    void addResetSection();
    void pagesChanged();
    void saveName();
    void chooseLayout(const QString &layoutId);
    void duplicate();
    void remove();
    void reset();
    void selectFirstPage();

    FrameModel &m_model;
    EditorState &m_state;
    const QUuid m_page;
    // The page's own title when the field was last filled from it; typing departs from it.
    QString m_loadedName;
    QLineEdit *m_name = nullptr;
    QList<LayoutOption *> m_layoutOptions;
    QPushButton *m_duplicate = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_reset = nullptr;
};
