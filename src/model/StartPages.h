// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Catalogue.h"
#include "kit/Page.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

// The starting sets of pages a new user can choose from, built from what was found on the
// machine: a GitHub account, the AI plans chosen, Wispr Flow and calendar access. Used by the
// welcome flow and by the first start without a desktop.
class StartPages
{
    Q_GADGET

public:
    // The starting sets, in the order they are offered.
    enum class Start
    {
        recommended,
        minimal,
        blank
    };
    Q_ENUM(Start)

    // What the pages step shows for one starting set.
    struct StartOption
    {
        Start start = Start::recommended;
        QString title;
        QString detail;
        std::optional<int> count; // none for the blank start

        bool operator==(const StartOption &other) const = default;
    };

    StartPages() = delete;

    static const QList<Start> &starts();
    // "recommended", "minimal" or "blank".
    static QString name(Start start);

    // The pages of a starting set, each with a new identifier and no title of its own. `plans`
    // are provider ids ("claude", "codex", "grok", "gemini") in the order they should appear;
    // the first page has room for at most three, the "plans.all" page shows them all. A page
    // equal to an earlier one is left out.
    static QList<Page> pages(Start start, bool github, const QStringList &plans, bool wispr, bool calendar);

    // The option's title, its pages' titles joined by "  ·  " (empty titles without a
    // catalogue) and its page count; the blank start explains itself instead.
    static StartOption option(Start start, const QList<Page> &pages, const std::optional<Catalogue> &catalogue);

    // Whether two sets would make the same pages in the same order, identifiers aside.
    static bool haveSameContent(const QList<Page> &first, const QList<Page> &second);

    // "1 page", "3 pages".
    static QString countText(int count);

private:
    static QList<Page> withoutRepeats(const QList<Page> &pages);
    static Page firstPage(bool github, const QStringList &widgets, bool wispr, bool calendar);
    static Page dayPage(bool wispr, bool calendar);
};
