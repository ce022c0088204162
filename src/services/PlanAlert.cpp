// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanAlert.h"

#include <QLocale>
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
    // sentence each becomes "… window".
    if (window.compare(QLatin1String("This week"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("weekly window");
    if (window.contains(QLatin1String("window"), Qt::CaseInsensitive))
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
