// SPDX-License-Identifier: GPL-3.0-or-later
#include "UndoHistory.h"

#include <utility>

UndoHistory::UndoHistory(QObject *parent)
    : QObject(parent)
{}

void UndoHistory::record(const Snapshot &before)
{
    m_undo.append(before);
    while (m_undo.size() > limit)
        m_undo.removeFirst();
    m_redo.clear();
    Q_EMIT changed();
}

std::optional<UndoHistory::Snapshot> UndoHistory::undo(const Snapshot &current)
{
    if (m_undo.isEmpty())
        return std::nullopt;
    Snapshot previous = m_undo.takeLast();
    m_redo.append(current);
    Q_EMIT changed();
    return previous;
}

std::optional<UndoHistory::Snapshot> UndoHistory::redo(const Snapshot &current)
{
    if (m_redo.isEmpty())
        return std::nullopt;
    Snapshot next = m_redo.takeLast();
    m_undo.append(current);
    Q_EMIT changed();
    return next;
}
