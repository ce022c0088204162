// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorState.h"

EditorState::EditorState(QObject *parent)
    : QObject(parent)
{}

void EditorState::setSelection(const std::optional<QUuid> &selection)
{
    if (selection == m_selection)
        return;
    m_selection = selection;
    setSelectedSlot(std::nullopt);
    Q_EMIT selectionChanged();
}

void EditorState::setSelectedSlot(const std::optional<int> &slot)
{
    if (slot == m_selectedSlot)
        return;
    m_selectedSlot = slot;
    Q_EMIT selectedSlotChanged();
}

void EditorState::setShowInspector(bool show)
{
    if (show == m_showInspector)
        return;
    m_showInspector = show;
    Q_EMIT showInspectorChanged();
}
