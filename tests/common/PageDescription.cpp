// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageDescription.h"

#include <QJsonValue>

namespace TestSupport {

QStringList describe(const QList<Page> &pages)
{
    QStringList result;
    for (const Page &page : pages) {
        QStringList entries;
        for (const Page::Slot &slot : page.slotWidgets)
            entries.append(slot.value_or(QStringLiteral("-")));
        result.append(page.layout + QLatin1Char('[') + entries.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    return result;
}

QStringList describe(const QJsonArray &pages)
{
    QList<Page> decoded;
    for (const QJsonValue &page : pages)
        decoded.append(Page::fromJson(page).value_or(Page()));
    return describe(decoded);
}

} // namespace TestSupport
