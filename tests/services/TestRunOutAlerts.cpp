// SPDX-License-Identifier: GPL-3.0-or-later
// When a plan window warns that it runs out before its reset, and what the warning says.

#include "services/PlanAlert.h"
#include "services/RunOutLedger.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// 2026-12-07 12:00 UTC, a Monday.
const QDateTime noon(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);
const double noonSeconds = double(noon.toSecsSinceEpoch());
constexpr double minute = 60;

} // namespace

class TestRunOutAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TZ", "UTC"); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void due_data()
    {
        QTest::addColumn<double>("runsOutIn"); // minutes after noon
        QTest::addColumn<double>("resetsIn");  // minutes after noon; negative for no reset known
        QTest::addColumn<bool>("due");
        QTest::newRow("exactly an hour ahead") << 60.0 << 130.0 << true;
        QTest::newRow("after the reset") << 50.0 << 45.0 << false;
        QTest::newRow("no reset known") << 50.0 << -1.0 << false;
    }

    void due()
    {
        QFETCH(double, runsOutIn);
        QFETCH(double, resetsIn);
        QFETCH(bool, due);
        const RunOutLedger ledger(file());
        const std::optional<double> resetsAt =
            resetsIn < 0 ? std::nullopt : std::optional(noonSeconds + resetsIn * minute);
        QCOMPARE(ledger.due("claude", "5-hour", noonSeconds + runsOutIn * minute, resetsAt, noon), due);
    }

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

private:
    QString file() const { return m_dir->filePath("plan-run-out-alerts.json"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestRunOutAlerts)
#include "TestRunOutAlerts.moc"
