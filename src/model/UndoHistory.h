// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Page.h"

#include <QList>
#include <QObject>
#include <optional>

// The undo and redo history of the page list for one run: whole page lists, oldest first. The
// undo side keeps at most `limit` lists and drops the oldest beyond it; the redo side only grows
// by undoing, so together they never hold more. Stepping moves one list between the sides and
// hands back the list to install; the caller owns the current list.
class UndoHistory : public QObject
{
    Q_OBJECT
public:
    using Snapshot = QList<Page>;

    static constexpr qsizetype limit = 100;

    explicit UndoHistory(QObject *parent = nullptr);

    const QList<Snapshot> &undoStack() const { return m_undo; }
    const QList<Snapshot> &redoStack() const { return m_redo; }
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }

    // Keeps `before`, the list as it was before a change, for undo and forgets what could be
    // redone: a new change starts a new line of history.
    void record(const Snapshot &before);
    // The list to go back (forward) to, keeping `current` on the other side; none, with nothing
    // changed, when there is nothing to step to.
    std::optional<Snapshot> undo(const Snapshot &current);
    std::optional<Snapshot> redo(const Snapshot &current);

Q_SIGNALS:
    // After every change of either side.
    void changed();

private:
    QList<Snapshot> m_undo;
    QList<Snapshot> m_redo;
};
