// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UndoHistory.h"
#include "kit/Page.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

// The user's pages in display order with their undo history, and every edit made to them. An
// edit that really changes the list (identifiers included) keeps the old list for undo, drops
// the redo history and announces edited(); the owner then saves and refreshes. It neither saves
// nor draws itself, so it can be exercised alone. Lives on the GUI thread.
class PageDocument : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<Page> pages READ pages NOTIFY pagesChanged)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY historyChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY historyChanged)

public:
    using PagesChange = std::function<void(QList<Page> &)>;
    using PageChange = std::function<void(Page &)>;

    explicit PageDocument(QObject *parent = nullptr);

    const QList<Page> &pages() const { return m_pages; }
    // Puts in the pages read from the settings file: no history, no edited().
    void load(const QList<Page> &pages);

    // The page lists undo and redo step through.
    const UndoHistory &history() const { return *m_history; }
    bool canUndo() const { return m_history->canUndo(); }
    bool canRedo() const { return m_history->canRedo(); }

    // The one way the page list is edited. Applies `change` to the whole list; only when the
    // list really changed is the old list kept for undo and edited() announced. Tells whether
    // it changed.
    bool editPages(const PagesChange &change);
    // Step back (forward) one page list and announce edited(); does nothing at all when there
    // is nothing to step to.
    void undo();
    void redo();

    // The first page with this identifier, if any.
    std::optional<Page> page(const QUuid &id) const;

    // Each of these goes through editPages(), so an identifier that names no page, or a change
    // that leaves the page as it was, records nothing.
    void updatePage(const QUuid &id, const PageChange &change);
    // Puts a widget in a slot, or empties it with none; a page too short for the slot first
    // gains empty slots. Emptying a slot beyond the page's slots, or a negative slot, changes
    // nothing.
    void setWidget(const std::optional<QString> &widget, const QUuid &page, int slot);
    // The empty text clears the page's own title; any other text is kept exactly as given.
    void setTitle(const QString &text, const QUuid &page);
    // A new "halves" page with two empty slots, right after the page `after` names, else at the
    // end. Returns its identifier.
    QUuid addPage(const std::optional<QUuid> &after = std::nullopt);
    // A copy with a new identifier right after its source; none when no page has `id`.
    std::optional<QUuid> duplicatePage(const QUuid &id);
    // Never removes the only page.
    void removePage(const QUuid &id);
    // Takes out the pages at `positions` (a set: order and repeats do not matter, positions
    // outside the list are ignored) and puts them back, in their order, before the page that
    // stood at `destination` (at the end when it is the page count).
    void movePages(const QList<int> &positions, int destination);

    // "page<i>" for the page at position i, the name of its rendered pictures; none when no
    // page has `id`.
    std::optional<QString> pageName(const QUuid &id) const;
    // The name of the page at this position.
    static QString pageName(qsizetype index);
    // Whether the slot of `page` shows another widget, or sits in another layout, than the same
    // page in `drawn` (a page missing there counts as out of date).
    static bool isStale(const QList<Page> &drawn, const Page &page, int slot);

Q_SIGNALS:
    void pagesChanged();
    void historyChanged();
    // The list was changed by an edit, an undo or a redo.
    void edited();

private:
    void install(const QList<Page> &pages);

    QList<Page> m_pages;
    UndoHistory *m_history = nullptr;
};
