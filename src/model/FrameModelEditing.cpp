// Page editing: the one entry point editPages(), the undo and redo history, the named edits
// the layout editor and the welcome flow use, and the queries that relate pages to the images
// of the last refresh.

#include "FrameModel.h"

#include "platform/Defaults.h"

#include <QSet>
#include <algorithm>

namespace {

const QString onboardedKey = QStringLiteral("onboarded");
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

void FrameModel::editPages(const PagesChange &change)
{
    const QList<Page> before = m_pages;
    QList<Page> after = m_pages;
    change(after);
    if (after == before)
        return;

    // The new list is installed before the history changes, so an observer of either sees
    // the pages the history describes.
    setPages(after);
    m_history->record(before);
    saveSettings();
    refresh();
}

void FrameModel::undo()
{
    const std::optional<QList<Page>> previous = m_history->undo(m_pages);
    if (!previous)
        return;
    setPages(*previous);
    saveSettings();
    refresh();
}

void FrameModel::redo()
{
    const std::optional<QList<Page>> next = m_history->redo(m_pages);
    if (!next)
        return;
    setPages(*next);
    saveSettings();
    refresh();
}

std::optional<Page> FrameModel::page(const QUuid &id) const
{
    const qsizetype index = firstIndexOf(m_pages, id);
    if (index < 0)
        return std::nullopt;
    return m_pages.at(index);
}

void FrameModel::updatePage(const QUuid &id, const PageChange &change)
{
    editPages([&](QList<Page> &pages) {
        const qsizetype index = firstIndexOf(pages, id);
        if (index >= 0)
            change(pages[index]);
    });
}

void FrameModel::setWidget(const std::optional<QString> &widget, const QUuid &page, int slot)
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

void FrameModel::setTitle(const QString &text, const QUuid &page)
{
    updatePage(page,
               [&](Page &edited) { edited.title = text.isEmpty() ? std::nullopt : std::optional<QString>(text); });
}

QUuid FrameModel::addPage(const std::optional<QUuid> &after)
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

std::optional<QUuid> FrameModel::duplicatePage(const QUuid &id)
{
    const qsizetype index = firstIndexOf(m_pages, id);
    if (index < 0)
        return std::nullopt;
    const Page &source = m_pages.at(index);
    const Page copy(source.layout, source.slotWidgets, source.title);
    editPages([&](QList<Page> &pages) { pages.insert(index + 1, copy); });
    return copy.id;
}

void FrameModel::removePage(const QUuid &id)
{
    if (m_pages.size() <= 1)
        return;
    editPages([&](QList<Page> &pages) { pages.removeIf([&](const Page &page) { return page.id == id; }); });
}

void FrameModel::movePages(const QList<int> &positions, int destination)
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

void FrameModel::resetPages()
{
    editPages([&](QList<Page> &pages) { pages = m_catalogue ? m_catalogue->defaultPages : QList<Page>(); });
}

void FrameModel::start(const QList<Page> &pages, const QStringList &providers)
{
    const QSet<QString> chosen(providers.cbegin(), providers.cend());
    QStringList ordered;
    for (const ProviderChoice &choice : providerChoices()) {
        if (chosen.contains(choice.id))
            ordered.append(choice.id);
    }
    const bool providersChanged = ordered != m_providers;
    setProviders(ordered);

    const bool pagesChanged = pages != m_pages;
    editPages([&](QList<Page> &current) { current = pages; });
    // New providers with unchanged pages still have to reach the settings file and the card:
    // otherwise the choice would be lost at the next start.
    if (providersChanged && !pagesChanged) {
        saveSettings();
        refresh();
    }
    Defaults::setValue(onboardedKey, true);
}

bool FrameModel::isStale(const Page &page, int slot) const
{
    const qsizetype index = firstIndexOf(m_renderedPages, page.id);
    if (index < 0)
        return true;
    const Page &rendered = m_renderedPages.at(index);
    if (rendered.layout != page.layout)
        return true;
    if (slot < 0 || slot >= rendered.slotWidgets.size())
        return true;
    return rendered.slotWidgets.at(slot) != slotAt(page, slot);
}

std::optional<QString> FrameModel::viewName(const QUuid &id) const
{
    const qsizetype index = firstIndexOf(m_pages, id);
    if (index < 0)
        return std::nullopt;
    return viewName(index);
}

QString FrameModel::viewName(qsizetype index)
{
    return QStringLiteral("page") + QString::number(index);
}
