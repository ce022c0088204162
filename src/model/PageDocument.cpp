// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageDocument.h"

#include <algorithm>

namespace {

const QString newPageLayout = QStringLiteral("halves");

qsizetype firstIndexOf(const QList<Page> &pages, const QUuid &id)
{
    const auto found = std::find_if(pages.cbegin(), pages.cend(), [&](const Page &page) { return page.id == id; });
    return found == pages.cend() ? -1 : std::distance(pages.cbegin(), found);
}

Page::Slot slotAt(const Page &page, int slot)
{
    return slot >= 0 && slot < page.slotWidgets.size() ? page.slotWidgets.at(slot) : Page::Slot();
}

// The positions as a sorted set inside the list.
QList<int> validPositions(const QList<int> &positions, qsizetype count)
{
    QList<int> valid;
    for (int position : positions) {
        if (position >= 0 && position < count && !valid.contains(position))
            valid.append(position);
    }
    std::sort(valid.begin(), valid.end());
    return valid;
}

} // namespace

PageDocument::PageDocument(QObject *parent)
    : QObject(parent)
    , m_history(new UndoHistory(this))
{
    connect(m_history, &UndoHistory::changed, this, &PageDocument::historyChanged);
}

void PageDocument::install(const QList<Page> &pages)
{
    if (pages == m_pages)
        return;
    m_pages = pages;
    Q_EMIT pagesChanged();
}

void PageDocument::load(const QList<Page> &pages)
{
    install(pages);
}

bool PageDocument::editPages(const PagesChange &change)
{
    const QList<Page> before = m_pages;
    QList<Page> after = m_pages;
    change(after);
    if (after == before)
        return false;

    // The new list is installed before the history changes, so an observer of either sees
    // the pages the history describes.
    install(after);
    m_history->record(before);
    Q_EMIT edited();
    return true;
}

void PageDocument::undo()
{
    const std::optional<QList<Page>> previous = m_history->undo(m_pages);
    if (!previous)
        return;
    install(*previous);
    Q_EMIT edited();
}

void PageDocument::redo()
{
    const std::optional<QList<Page>> next = m_history->redo(m_pages);
    if (!next)
        return;
    install(*next);
    Q_EMIT edited();
}

std::optional<Page> PageDocument::page(const QUuid &id) const
{
    const qsizetype index = firstIndexOf(m_pages, id);
    if (index < 0)
        return std::nullopt;
    return m_pages.at(index);
}

void PageDocument::updatePage(const QUuid &id, const PageChange &change)
{
    editPages([&](QList<Page> &pages) {
        const qsizetype index = firstIndexOf(pages, id);
        if (index >= 0)
            change(pages[index]);
    });
}

void PageDocument::setWidget(const std::optional<QString> &widget, const QUuid &page, int slot)
{
    // Every way of choosing a slot gives 0 or more; a negative index would grow nothing and
    // name nothing, so it is refused rather than guessed at.
    if (slot < 0)
        return;
    updatePage(page, [&](Page &edited) {
        // Emptying a slot the page does not have would only pad it with empty slots: a change
        // nobody could see, recorded as an undo step.
        if (!widget && slot >= edited.slotWidgets.size())
            return;
        while (edited.slotWidgets.size() <= slot)
            edited.slotWidgets.append(std::nullopt);
        edited.slotWidgets[slot] = widget;
    });
}

void PageDocument::setTitle(const QString &text, const QUuid &page)
{
    updatePage(page,
               [&](Page &edited) { edited.title = text.isEmpty() ? std::nullopt : std::optional<QString>(text); });
}

QUuid PageDocument::addPage(const std::optional<QUuid> &after)
{
    const Page added(newPageLayout, {std::nullopt, std::nullopt});
    editPages([&](QList<Page> &pages) {
        const qsizetype index = after ? firstIndexOf(pages, *after) : -1;
        if (index >= 0)
            pages.insert(index + 1, added);
        else
            pages.append(added);
    });
    return added.id;
}

std::optional<QUuid> PageDocument::duplicatePage(const QUuid &id)
{
    const qsizetype index = firstIndexOf(m_pages, id);
    if (index < 0)
        return std::nullopt;
    const Page &source = m_pages.at(index);
    const Page copy(source.layout, source.slotWidgets, source.title);
    editPages([&](QList<Page> &pages) { pages.insert(index + 1, copy); });
    return copy.id;
}

void PageDocument::removePage(const QUuid &id)
{
    if (m_pages.size() <= 1)
        return;
    editPages([&](QList<Page> &pages) { pages.removeIf([&](const Page &page) { return page.id == id; }); });
}

void PageDocument::movePages(const QList<int> &positions, int destination)
{
    editPages([&](QList<Page> &pages) {
        const QList<int> moving = validPositions(positions, pages.size());
        const int target = std::clamp(destination, 0, int(pages.size()));

        QList<Page> taken;
        QList<Page> kept;
        int insertAt = 0;
        for (int i = 0; i < pages.size(); ++i) {
            if (moving.contains(i)) {
                taken.append(pages.at(i));
                continue;
            }
            // Everything kept before the destination stays in front of the moved pages.
            if (i < target)
                ++insertAt;
            kept.append(pages.at(i));
        }
        for (qsizetype i = 0; i < taken.size(); ++i)
            kept.insert(insertAt + i, taken.at(i));
        pages = kept;
    });
}

bool PageDocument::isStale(const QList<Page> &drawn, const Page &page, int slot)
{
    const qsizetype index = firstIndexOf(drawn, page.id);
    if (index < 0)
        return true;
    const Page &rendered = drawn.at(index);
    if (rendered.layout != page.layout)
        return true;
    if (slot < 0 || slot >= rendered.slotWidgets.size())
        return true;
    return rendered.slotWidgets.at(slot) != slotAt(page, slot);
}

std::optional<QString> PageDocument::pageName(const QUuid &id) const
{
    const qsizetype index = firstIndexOf(m_pages, id);
    if (index < 0)
        return std::nullopt;
    return pageName(index);
}

QString PageDocument::pageName(qsizetype index)
{
    return QStringLiteral("page") + QString::number(index);
}
