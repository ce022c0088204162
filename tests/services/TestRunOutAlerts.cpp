// SPDX-License-Identifier: GPL-3.0-or-later
// What the warning that a plan window runs out before its reset says.

#include "services/PlanAlert.h"

#include <QTest>
#include <QTimeZone>

namespace {

// 2026-12-07 12:00 UTC, a Monday.
const QDateTime noon(QDate(2026, 12, 7), QTime(12, 0), QTimeZone::utc());
const double noonSeconds = double(noon.toSecsSinceEpoch());
constexpr double minute = 60;

} // namespace

class TestRunOutAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TZ", "UTC"); }

    void headline_data()
    {
        QTest::addColumn<double>("runsOutIn"); // minutes after noon
        QTest::addColumn<double>("resetsIn");
        QTest::addColumn<QString>("expected");
        QTest::newRow("today") << 221.0 << 301.0
                               << "Claude \u00B7 5-hour window runs out at about 15:40 at this pace, 1 h 20 min "
                                  "before it resets";
        QTest::newRow("minutes only") << 40.0 << 80.0
                                      << "Claude \u00B7 5-hour window runs out at about 12:40 at this pace, 40 min "
                                         "before it resets";
        QTest::newRow("another day") << 26.0 * 60 + 3 << 28.0 * 60 + 3
                                     << "Claude \u00B7 5-hour window runs out at about Tue 14:05 at this pace, 2 h "
                                        "before it resets";
        QTest::newRow("days ahead") << 60.0 << 3 * 24 * 60 + 4 * 60.0
                                    << "Claude \u00B7 5-hour window runs out at about 13:00 at this pace, 3 days 3 h "
                                       "before it resets";
    }

    void headline()
    {
        QFETCH(double, runsOutIn);
        QFETCH(double, resetsIn);
        QFETCH(QString, expected);
        PlanAlert alert{"claude", "Claude",
                        "claude", "5-hour",
                        72,       noonSeconds + resetsIn * minute,
                        0,        noonSeconds + runsOutIn * minute};
        QCOMPARE(alert.headline(noon), expected);
        // The threshold alerts keep their own words.
        alert.runsOutAt.reset();
        alert.threshold = 80;
        QCOMPARE(alert.headline(noon), QStringLiteral("Claude \u00B7 5-hour window at 72 %"));
    }
};

QTEST_GUILESS_MAIN(TestRunOutAlerts)
#include "TestRunOutAlerts.moc"
