// SPDX-License-Identifier: GPL-3.0-or-later
// When a plan window runs out at its recent pace, told from recorded readings.

#include "data/BurnRateForecast.h"

#include <QDateTime>
#include <QTest>
#include <QTimeZone>

namespace {

using Sample = BurnRateForecast::Sample;
using Outlook = BurnRateForecast::Outlook;

const QDate day(2026, 12, 7);

double at(const QString &time)
{
    return double(
        QDateTime(day, QTime::fromString(time, QStringLiteral("HH:mm")), QTimeZone::utc()).toSecsSinceEpoch());
}

// "12:00 10, 12:05 12.5": readings in the order they were recorded.
QList<Sample> readings(const QString &text)
{
    QList<Sample> samples;
    for (const QString &pair : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = pair.trimmed().split(QLatin1Char(' '));
        samples.append({at(parts[0]), parts[1].toDouble()});
    }
    return samples;
}

// "runs out 14:05", "lasts" or "unknown".
QString described(const BurnRateForecast::Result &result)
{
    if (result.outlook == Outlook::LastsUntilReset && !result.runsOutAt)
        return QStringLiteral("lasts");
    if (result.outlook != Outlook::RunsOut || !result.runsOutAt)
        return result.runsOutAt ? QStringLiteral("unknown with a time") : QStringLiteral("unknown");
    return "runs out " + QDateTime::fromSecsSinceEpoch(qRound64(*result.runsOutAt), QTimeZone::utc()).toString("HH:mm");
}

} // namespace

class TestBurnRateForecast : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void forecast_data()
    {
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<QString>("resets"); // "-": no reset time known
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("expected");

        // 2 points every 5 minutes is 24 % an hour: 38 points left take 95 minutes.
        QTest::newRow("steady use runs out before the reset")
            << "12:00 50, 12:05 52, 12:10 54, 12:15 56, 12:20 58, 12:25 60, 12:30 62"
            << "17:00"
            << "12:30"
            << "runs out 14:05";
        // A burst an hour ago, an idle hour, then 6 % an hour: the burst does not set the pace.
        QTest::newRow("burst then idle")
            << "13:00 10, 13:05 30, 13:10 40, 13:30 40, 13:50 40, 14:10 40, 14:15 41, 14:25 42, 14:35 43"
            << "19:00"
            << "14:35"
            << "lasts";
        // The figure fell: a new period began, and only its readings count.
        QTest::newRow("reset in the middle") << "12:00 60, 12:10 70, 12:20 80, 12:25 2, 12:35 4, 12:45 6"
                                             << "-"
                                             << "12:45"
                                             << "runs out 20:35";
        QTest::newRow("falling figure") << "12:00 50, 12:10 48, 12:20 46, 12:30 44"
                                        << "-"
                                        << "12:30"
                                        << "unknown";
        QTest::newRow("idle since the last use") << "12:00 40, 12:10 45, 12:20 50, 12:45 50"
                                                 << "-"
                                                 << "12:45"
                                                 << "unknown";
        QTest::newRow("too little history") << "12:00 40, 12:05 45, 12:10 50"
                                            << "-"
                                            << "12:10"
                                            << "unknown";
        // Readings taken while the clock ran two hours ahead cannot be placed once it is put back.
        QTest::newRow("clock put back") << "14:00 40, 14:10 42, 14:20 44, 12:25 45, 12:35 47, 12:45 49"
                                        << "18:00"
                                        << "12:45"
                                        << "runs out 17:00";
        // Three hours without a reading: what came before is not the recent stretch.
        QTest::newRow("clock put forward") << "12:00 40, 12:10 42, 12:20 44, 15:20 45, 15:30 47, 15:40 49"
                                           << "-"
                                           << "15:40"
                                           << "runs out 19:55";
        QTest::newRow("no reading for a long while") << "12:00 40, 12:10 44, 12:20 48"
                                                     << "-"
                                                     << "13:20"
                                                     << "unknown";
    }

    void forecast()
    {
        QFETCH(QString, recorded);
        QFETCH(QString, resets);
        QFETCH(QString, now);
        QFETCH(QString, expected);
        const std::optional<double> resetsAt = resets == "-" ? std::nullopt : std::optional(at(resets));
        QCOMPARE(described(BurnRateForecast::forecast(readings(recorded), resetsAt, at(now))), expected);
    }

    void denseReadingsKeepTheirPace_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("one a minute") << 121;
        QTest::newRow("a crafted file's thousands") << 50000;
    }

    // 10 → 50 % from 12:00 to 14:00, with every tenth reading an odd one at 0.5 points more: at
    // 20 points an hour the rest take two and a half hours, however densely it was read.
    void denseReadingsKeepTheirPace()
    {
        QFETCH(int, count);
        QList<Sample> samples;
        const double from = at("12:00");
        const double span = at("14:00") - from;
        for (int index = 0; index < count; ++index) {
            const double share = double(index) / double(count - 1);
            samples.append({from + share * span, 10 + 40 * share + (index % 10 == 5 ? 0.5 : 0)});
        }
        QCOMPARE(described(BurnRateForecast::forecast(samples, at("20:00"), at("14:00"))), "runs out 16:30");
    }
};

QTEST_GUILESS_MAIN(TestBurnRateForecast)
#include "TestBurnRateForecast.moc"
