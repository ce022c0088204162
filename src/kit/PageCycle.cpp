// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageCycle.h"

namespace {

std::optional<QString> step(const QString &current, const QStringList &views, qsizetype offset)
{
    if (views.isEmpty())
        return std::nullopt;
    const qsizetype index = views.indexOf(current);
    if (index < 0)
        return views.first();
    const qsizetype count = views.size();
    return views.at((index + offset + count) % count);
}

} // namespace

namespace PageCycle {

std::optional<QString> next(const QString &current, const QStringList &views)
{
    return step(current, views, 1);
}

std::optional<QString> previous(const QString &current, const QStringList &views)
{
    return step(current, views, -1);
}

} // namespace PageCycle
