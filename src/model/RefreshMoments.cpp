// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshMoments.h"

#include <QJsonArray>
#include <algorithm>

namespace {

// The start of the local day `days` after the one `since` falls on.
QDateTime midnight(const QDateTime &since, const QTimeZone &zone, int days)
{
    const QDate date = since.toTimeZone(zone).date().addDays(days);
    // Where a zone skips midnight, Qt moves the moment to the first time that exists.
    return QDateTime(date, QTime(0, 0), zone).toUTC();
}

} // namespace

QDateTime RefreshMoments::next(const QDateTime &since, const QTimeZone &zone, const QList<QDateTime> &planResets)
{
    // Within the first moments of a day, that day's midnight refresh is still ahead.
    QDateTime due = midnight(since, zone, 0).addSecs(afterMidnight.count());
    if (due <= since)
        due = midnight(since, zone, 1).addSecs(afterMidnight.count());
    for (const QDateTime &reset : planResets) {
        const QDateTime resetDue = reset.addSecs(afterReset.count());
        if (resetDue > since && resetDue < due)
            due = resetDue;
    }
    return due;
}

QList<QDateTime> RefreshMoments::planResets(const QJsonObject &data)
{
    QList<QDateTime> resets;
    const QJsonArray providers =
        data.value(QStringLiteral("ai")).toObject().value(QStringLiteral("providers")).toArray();
    for (const QJsonValue &provider : providers) {
        for (const QJsonValue &window : provider.toObject().value(QStringLiteral("windows")).toArray()) {
            const QJsonValue seconds = window.toObject().value(QStringLiteral("resetsAt"));
            if (seconds.isDouble())
                resets.append(QDateTime::fromMSecsSinceEpoch(qint64(seconds.toDouble() * 1000), QTimeZone::utc()));
        }
    }
    std::sort(resets.begin(), resets.end());
    return resets;
}
