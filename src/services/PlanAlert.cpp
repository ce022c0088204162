// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanAlert.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

const QString separator = QStringLiteral(" \u00B7 ");

QLocale textLocale()
{
    return QLocale(QStringLiteral("en_GB"));
}

} // namespace

QString PlanAlert::windowPhrase() const
{
    // The tools name their windows for a card's column heading ("This week", "Daily"); in a
    // sentence each becomes "… window". A window of one of several limits keeps its limit's
    // name in front ("Spark · weekly window").
    const QString thisWeek = QStringLiteral("This week");
    if (window.endsWith(thisWeek, Qt::CaseInsensitive))
        return window.chopped(thisWeek.size()) + QStringLiteral("weekly window");
    if (window.contains(QStringLiteral("window"), Qt::CaseInsensitive))
        return window;
    return window + QStringLiteral(" window");
}

QString PlanAlert::summary() const
{
    // Rounded down, so a window just short of a threshold never reads as having reached it.
    const qint64 percent = qint64(std::floor(usedPercent));
    return name + separator + windowPhrase() + QStringLiteral(" at ") + QString::number(percent) + QStringLiteral(" %");
}

QString PlanAlert::body(const QDateTime &now) const
{
    if (!resetsAt)
        return QString();
    const QDateTime reset = QDateTime::fromMSecsSinceEpoch(qint64(std::llround(*resetsAt * 1000))).toLocalTime();
    const QLocale locale = textLocale();
    QString text = QStringLiteral("resets ") + locale.toString(reset, QStringLiteral("HH:mm"));
    if (reset.date() != now.toLocalTime().date())
        text += separator + locale.toString(reset, QStringLiteral("ddd d MMM"));
    return text;
}

QString PlanAlert::duration(double seconds)
{
    const qint64 minutes = std::max<qint64>(0, std::llround(seconds / 60));
    const qint64 days = minutes / (24 * 60);
    const qint64 hours = minutes / 60 % 24;
    const qint64 rest = minutes % 60;
    QStringList parts;
    if (days > 0)
        parts.append(QString::number(days) + (days == 1 ? QStringLiteral(" day") : QStringLiteral(" days")));
    if (hours > 0)
        parts.append(QString::number(hours) + QStringLiteral(" h"));
    // Beside days, minutes are noise.
    if (days == 0 && (rest > 0 || hours == 0))
        parts.append(QString::number(rest) + QStringLiteral(" min"));
    return parts.join(QLatin1Char(' '));
}

QString PlanAlert::headline(const QDateTime &now) const
{
    if (!runsOutAt)
        return summary();
    // "About": the pace is a forecast, so the time is given to the nearest five minutes.
    constexpr qint64 fiveMinutes = 5 * 60 * 1000;
    const qint64 rounded = std::llround(*runsOutAt * 1000 / double(fiveMinutes)) * fiveMinutes;
    const QDateTime runsOut = QDateTime::fromMSecsSinceEpoch(rounded).toLocalTime();
    const QLocale locale = textLocale();
    const bool today = runsOut.date() == now.toLocalTime().date();
    QString text = name + separator + windowPhrase() + QStringLiteral(" runs out at about ") +
                   locale.toString(runsOut, today ? QStringLiteral("HH:mm") : QStringLiteral("ddd HH:mm")) +
                   QStringLiteral(" at this pace");
    if (resetsAt)
        text += QStringLiteral(", ") + duration(*resetsAt - *runsOutAt) + QStringLiteral(" before it resets");
    return text;
}
