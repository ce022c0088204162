// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QUuid>
#include <optional>

// What the layout editor has selected: a page, a slot of it, and whether the inspector column is
// shown. Shared by the page list, the canvas and the inspector, and kept while the window is
// closed, so reopening the editor finds the same selection.
class EditorState : public QObject
{
    Q_OBJECT

public:
    explicit EditorState(QObject *parent = nullptr);

    const std::optional<QUuid> &selection() const { return m_selection; }
    // Choosing a different page forgets the slot selection.
    void setSelection(const std::optional<QUuid> &selection);

    const std::optional<int> &selectedSlot() const { return m_selectedSlot; }
    void setSelectedSlot(const std::optional<int> &slot);

    bool showInspector() const { return m_showInspector; }
    void setShowInspector(bool show);

Q_SIGNALS:
    void selectionChanged();
    void selectedSlotChanged();
    void showInspectorChanged();

private:
    std::optional<QUuid> m_selection;
    std::optional<int> m_selectedSlot;
    bool m_showInspector = true;
};
