// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartPages.h"

#include "kit/EnumNames.h"

#include <algorithm>

namespace {

Page page(const QString &layout, const QStringList &widgets)
{
    QList<Page::Slot> entries;
    for (const QString &widget : widgets)
        entries.append(widget.isEmpty() ? Page::Slot() : Page::Slot(widget));
    return Page(layout, entries);
}

QStringList providerWidgets(const QStringList &plans)
{
    QStringList widgets;
    for (const QString &plan : plans)
        widgets.append(QStringLiteral("provider.") + plan);
    return widgets;
}

} // namespace

const QList<StartPages::Start> &StartPages::starts()
{
    static const QList<Start> all{Start::recommended, Start::minimal, Start::blank};
    return all;
}

QString StartPages::name(Start start)
{
    return EnumNames::name(start);
}

QList<Page> StartPages::pages(Start start, bool github, const QStringList &plans, bool wispr, bool calendar)
{
    if (start == Start::blank)
        return {page(QStringLiteral("halves"), {QString(), QString()})};

    const QStringList widgets = providerWidgets(plans);
    QList<Page> result{firstPage(github, widgets, wispr, calendar)};
    if (start == Start::minimal)
        return result;

    if (github) {
        if (result.first().slotWidgets.value(0) != QStringLiteral("github.year"))
            result.append(page(QStringLiteral("full"), {QStringLiteral("github.year")}));
        result.append(
            page(QStringLiteral("halves"), {QStringLiteral("github.month"), QStringLiteral("github.activity")}));
    }
    // Plans beyond the first page's room are seen only here.
    if (widgets.size() >= 2)
        result.append(page(QStringLiteral("full"), {QStringLiteral("plans.all")}));
    result.append(dayPage(wispr, calendar));
    return withoutRepeats(result);
}

QList<Page> StartPages::withoutRepeats(const QList<Page> &pages)
{
    // With nothing found the first page and the day page are both date and countdown; a set that
    // shows the same page twice (and lists it twice in the menu) helps nobody. The first of the
    // equal pages stays, so the set never ends up empty.
    QList<Page> kept;
    for (const Page &page : pages) {
        const bool seen = std::any_of(kept.cbegin(), kept.cend(),
                                      [&page](const Page &earlier) { return earlier.hasSameContent(page); });
        if (!seen)
            kept.append(page);
    }
    return kept;
}

Page StartPages::firstPage(bool github, const QStringList &widgets, bool wispr, bool calendar)
{
    const QString dictationOrDate = wispr ? QStringLiteral("provider.wispr") : QStringLiteral("today.date");
    if (github) {
        if (widgets.isEmpty())
            return page(QStringLiteral("full"), {QStringLiteral("github.year")});
        if (widgets.size() == 1)
            return page(QStringLiteral("twoThirdsLeft"), {QStringLiteral("github.overview"), widgets[0]});
        return page(QStringLiteral("wideTwo"), {QStringLiteral("github.overview"), widgets[0], widgets[1]});
    }
    switch (widgets.size()) {
    case 0:
        return page(QStringLiteral("halves"),
                    {dictationOrDate, calendar ? QStringLiteral("calendar.next") : QStringLiteral("countdown")});
    case 1:
        return page(QStringLiteral("twoThirdsLeft"), {widgets[0], dictationOrDate});
    case 2:
        return page(QStringLiteral("halves"), {widgets[0], widgets[1]});
    default:
        return page(QStringLiteral("thirds"), {widgets[0], widgets[1], widgets[2]});
    }
}

Page StartPages::dayPage(bool wispr, bool calendar)
{
    QStringList widgets{calendar ? QStringLiteral("calendar.next") : QStringLiteral("today.date"),
                        QStringLiteral("countdown")};
    if (wispr)
        widgets.append(QStringLiteral("provider.wispr"));
    return page(widgets.size() == 3 ? QStringLiteral("thirds") : QStringLiteral("halves"), widgets);
}

StartPages::StartOption StartPages::option(Start start, const QList<Page> &pages,
                                           const std::optional<Catalogue> &catalogue)
{
    switch (start) {
    case Start::blank:
        return {start, QStringLiteral("Start blank"),
                QStringLiteral("One empty page to design yourself. Edit Layout opens next."), std::nullopt};
    case Start::recommended:
    case Start::minimal:
        break;
    }
    QStringList titles;
    for (const Page &page : pages)
        titles.append(catalogue ? catalogue->title(page) : QString());
    const QString title =
        start == Start::recommended ? QStringLiteral("Recommended for you") : QStringLiteral("Just one page");
    return {start, title, titles.join(QStringLiteral("  \u00B7  ")), int(pages.size())};
}

bool StartPages::haveSameContent(const QList<Page> &first, const QList<Page> &second)
{
    return std::equal(first.cbegin(), first.cend(), second.cbegin(), second.cend(),
                      [](const Page &one, const Page &other) { return one.hasSameContent(other); });
}

QString StartPages::countText(int count)
{
    return count == 1 ? QStringLiteral("1 page") : QString::number(count) + QStringLiteral(" pages");
}
