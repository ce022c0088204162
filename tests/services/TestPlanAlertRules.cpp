// SPDX-License-Identifier: GPL-3.0-or-later
// When a plan window alerts and what its notification says, apart from any bus.

#include "TestSupport.h"
#include "services/PlanAlert.h"
#include "services/PlanAlertLedger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <memory>
#include <sys/stat.h>

namespace {

using Reading = PlanAlertLedger::Reading;

// 2026-12-07 12:00 UTC, a Monday.
const QDateTime noon = QDateTime(QDate(2026, 12, 7), QTime(12, 0), QTimeZone::utc());

double secondsAt(const QDateTime &time)
{
    return double(time.toSecsSinceEpoch());
}

const double inTwoHours = secondsAt(noon.addSecs(2 * 3600));

Reading claude(double used, std::optional<double> resetsAt = inTwoHours)
{
    return {QStringLiteral("claude"), QStringLiteral("5-hour"), used, resetsAt};
}

} // namespace

class TestPlanAlertRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void thresholdReached_data();
    void thresholdReached();
    void oncePerThresholdInOnePeriod();
    void newPeriodAlertsAgain_data();
    void newPeriodAlertsAgain();
    void windowsAndProvidersAreApart();
    void flappingUseAlertsOncePerCrossing();
    void laterThresholdStandsWhateverTheOrder();
    void survivesRestart();
    void unreadableFileMeansNothingAlerted_data();
    void unreadableFileMeansNothingAlerted();
    void namedPipeIsNotRead();
    void endedPeriodsAreNotKept();

    void summary_data();
    void summary();
    void body_data();
    void body();

private:
    QString file() const { return m_dir->filePath(QStringLiteral("Tessarine/plan-alerts.json")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPlanAlertRules::initTestCase()
{
    qputenv("TZ", "UTC");
}

void TestPlanAlertRules::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestPlanAlertRules::thresholdReached_data()
{
    QTest::addColumn<double>("used");
    QTest::addColumn<std::optional<int>>("due");
    QTest::newRow("unused") << 0.0 << std::optional<int>();
    QTest::newRow("just short") << 79.99 << std::optional<int>();
    QTest::newRow("at 80") << 80.0 << std::optional<int>(80);
    QTest::newRow("between") << 94.9 << std::optional<int>(80);
    QTest::newRow("at 95") << 95.0 << std::optional<int>(95);
    QTest::newRow("over the limit") << 104.0 << std::optional<int>(95);
}

void TestPlanAlertRules::thresholdReached()
{
    QFETCH(double, used);
    QFETCH(std::optional<int>, due);
    PlanAlertLedger ledger(file());
    QCOMPARE(ledger.due(claude(used), noon), due);
}

void TestPlanAlertRules::oncePerThresholdInOnePeriod()
{
    PlanAlertLedger ledger(file());
    QCOMPARE(ledger.due(claude(82), noon), std::optional<int>(80));
    QVERIFY(ledger.record(claude(82), 80, noon));
    QCOMPARE(ledger.due(claude(90), noon.addSecs(60)), std::nullopt);
    // The reset time a tool reports may wobble by seconds within one period.
    QCOMPARE(ledger.due(claude(91, inTwoHours + 3), noon.addSecs(120)), std::nullopt);
    QCOMPARE(ledger.due(claude(95.2), noon.addSecs(180)), std::optional<int>(95));
    QVERIFY(ledger.record(claude(95.2), 95, noon.addSecs(180)));
    QCOMPARE(ledger.due(claude(99), noon.addSecs(240)), std::nullopt);
    QCOMPARE(ledger.alerted("claude", "5-hour"), std::optional<int>(95));
}

void TestPlanAlertRules::newPeriodAlertsAgain_data()
{
    QTest::addColumn<std::optional<double>>("firstReset");
    QTest::addColumn<QDateTime>("later");
    QTest::addColumn<Reading>("reading");

    QTest::newRow("reset time has passed")
        << std::optional<double>(inTwoHours) << noon.addSecs(3 * 3600) << claude(85, std::nullopt);
    QTest::newRow("reported reset moved a window on")
        << std::optional<double>(inTwoHours) << noon.addSecs(60) << claude(85, inTwoHours + 5 * 3600);
    QTest::newRow("no reset times, use fell back")
        << std::optional<double>() << noon.addSecs(60) << claude(2, std::nullopt);
}

void TestPlanAlertRules::newPeriodAlertsAgain()
{
    QFETCH(std::optional<double>, firstReset);
    QFETCH(QDateTime, later);
    QFETCH(Reading, reading);
    PlanAlertLedger ledger(file());
    QVERIFY(ledger.record(claude(96, firstReset), 95, noon));
    QCOMPARE(ledger.due(claude(97, firstReset), noon), std::nullopt);

    ledger.due(reading, later);
    QCOMPARE(ledger.alerted("claude", "5-hour"), std::nullopt);
    QCOMPARE(ledger.due(claude(81, reading.resetsAt), later), std::optional<int>(80));
}

// Without reset times, use that wobbles around 80 % is one crossing: one alert, not one per
// wobble. Only a real fall (a window that started again) lets the next rise alert.
void TestPlanAlertRules::flappingUseAlertsOncePerCrossing()
{
    PlanAlertLedger ledger(file());
    int alerts = 0;
    const double readings[] = {80, 79, 81, 79.5, 80.5, 78, 82, 75, 81, 5, 81, 79, 80};
    for (int index = 0; index < int(std::size(readings)); ++index) {
        const Reading reading = claude(readings[index], std::nullopt);
        const QDateTime at = noon.addSecs(60 * index);
        if (const std::optional<int> due = ledger.due(reading, at)) {
            ++alerts;
            QVERIFY(ledger.record(reading, *due, at));
        }
    }
    QCOMPARE(alerts, 2);
}

void TestPlanAlertRules::windowsAndProvidersAreApart()
{
    PlanAlertLedger ledger(file());
    QVERIFY(ledger.record(claude(85), 80, noon));
    const Reading weekly{"claude", "This week", 85, inTwoHours};
    const Reading codex{"codex", "5-hour", 85, inTwoHours};
    QCOMPARE(ledger.due(weekly, noon), std::optional<int>(80));
    QCOMPARE(ledger.due(codex, noon), std::optional<int>(80));
}

void TestPlanAlertRules::laterThresholdStandsWhateverTheOrder()
{
    // Two notifications of one period may be answered in either order.
    PlanAlertLedger ledger(file());
    QVERIFY(ledger.record(claude(96), 95, noon));
    QVERIFY(ledger.record(claude(85), 80, noon));
    QCOMPARE(ledger.alerted("claude", "5-hour"), std::optional<int>(95));
    QCOMPARE(ledger.due(claude(97), noon), std::nullopt);
}

void TestPlanAlertRules::survivesRestart()
{
    {
        PlanAlertLedger ledger(file());
        QVERIFY(ledger.record(claude(85), 80, noon));
        QVERIFY(ledger.record({"codex", "This week", 97, std::nullopt}, 95, noon));
    }
    const QJsonObject stored = QJsonDocument::fromJson(TestSupport::readFile(file())).object();
    QCOMPARE(stored.value("claude").toObject().value("5-hour").toObject(),
             (QJsonObject{{"resetsAt", inTwoHours}, {"threshold", 80}}));
    QCOMPARE(stored.value("codex").toObject().value("This week").toObject(),
             (QJsonObject{{"resetsAt", QJsonValue()}, {"threshold", 95}}));

    PlanAlertLedger restarted(file());
    QCOMPARE(restarted.due(claude(90), noon.addSecs(600)), std::nullopt);
    QCOMPARE(restarted.due(claude(95), noon.addSecs(600)), std::optional<int>(95));
    QCOMPARE(restarted.due({"codex", "This week", 98, std::nullopt}, noon.addSecs(600)), std::nullopt);
}

void TestPlanAlertRules::unreadableFileMeansNothingAlerted_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("{\"claude\": ");
    QTest::newRow("a list") << QByteArray("[1, 2]");
    QTest::newRow("odd threshold") << QByteArray(R"({"claude": {"5-hour": {"resetsAt": null, "threshold": 50}}})");
    QTest::newRow("wrong types") << QByteArray(R"({"claude": {"5-hour": "alerted"}, "codex": 7})");
}

void TestPlanAlertRules::unreadableFileMeansNothingAlerted()
{
    QFETCH(QByteArray, content);
    QVERIFY(TestSupport::writeFile(file(), content));
    PlanAlertLedger ledger(file());
    QCOMPARE(ledger.alerted("claude", "5-hour"), std::nullopt);
    QCOMPARE(ledger.due(claude(85), noon), std::optional<int>(80));
    // The next record replaces the file with a sound one.
    QVERIFY(ledger.record(claude(85), 80, noon));
    QCOMPARE(PlanAlertLedger(file()).alerted("claude", "5-hour"), std::optional<int>(80));
}

void TestPlanAlertRules::namedPipeIsNotRead()
{
    // Opening a named pipe for reading waits for a writer: the start would stall for good.
    QVERIFY(QDir().mkpath(QFileInfo(file()).path()));
    QCOMPARE(::mkfifo(QFile::encodeName(file()).constData(), 0600), 0);
    PlanAlertLedger ledger(file());
    QCOMPARE(ledger.alerted("claude", "5-hour"), std::nullopt);
    QCOMPARE(ledger.due(claude(85), noon), std::optional<int>(80));
}

void TestPlanAlertRules::endedPeriodsAreNotKept()
{
    PlanAlertLedger ledger(file());
    QVERIFY(ledger.record(claude(85), 80, noon));
    const Reading weekly{"claude", "This week", 85, secondsAt(noon.addDays(3))};
    QVERIFY(ledger.record(weekly, 80, noon.addSecs(3 * 3600)));
    const QJsonObject claudeWindows =
        QJsonDocument::fromJson(TestSupport::readFile(file())).object().value("claude").toObject();
    QCOMPARE(claudeWindows.keys(), QStringList{"This week"});
}

void TestPlanAlertRules::summary_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("window");
    QTest::addColumn<double>("used");
    QTest::addColumn<QString>("summary");
    QTest::newRow("five hours") << "Claude"
                                << "5-hour" << 82.0 << "Claude \u00B7 5-hour window at 82 %";
    QTest::newRow("this week") << "Claude"
                               << "This week" << 95.0 << "Claude \u00B7 weekly window at 95 %";
    QTest::newRow("rounded down") << "Codex"
                                  << "24-hour" << 94.99 << "Codex \u00B7 24-hour window at 94 %";
    QTest::newRow("Grok's own name") << "Grok"
                                     << "Daily" << 80.5 << "Grok \u00B7 Daily window at 80 %";
    QTest::newRow("named a window") << "Grok"
                                    << "Rolling window" << 88.0 << "Grok \u00B7 Rolling window at 88 %";
    QTest::newRow("a model's own limit") << "Codex"
                                         << "Spark \u00B7 5-hour" << 97.0
                                         << "Codex \u00B7 Spark \u00B7 5-hour window at 97 %";
    QTest::newRow("a model's own week") << "Codex"
                                        << "Spark \u00B7 This week" << 85.0
                                        << "Codex \u00B7 Spark \u00B7 weekly window at 85 %";
    QTest::newRow("over the limit") << "Claude"
                                    << "5-hour" << 103.2 << "Claude \u00B7 5-hour window at 103 %";
}

void TestPlanAlertRules::summary()
{
    QFETCH(QString, name);
    QFETCH(QString, window);
    QFETCH(double, used);
    QFETCH(QString, summary);
    const PlanAlert alert{"id", name, "logo", window, used, std::nullopt, 80};
    QCOMPARE(alert.summary(), summary);
}

void TestPlanAlertRules::body_data()
{
    QTest::addColumn<std::optional<double>>("resetsAt");
    QTest::addColumn<QString>("body");
    QTest::newRow("later today") << std::optional<double>(secondsAt(noon.addSecs(2 * 3600 + 1800))) << "resets 14:30";
    QTest::newRow("in milliseconds' precision")
        << std::optional<double>(secondsAt(noon.addSecs(1800)) + 0.4) << "resets 12:30";
    QTest::newRow("another day") << std::optional<double>(secondsAt(noon.addDays(3).addSecs(-3 * 3600)))
                                 << "resets 09:00 \u00B7 Thu 10 Dec";
    QTest::newRow("just after midnight") << std::optional<double>(
                                                secondsAt(QDateTime(QDate(2026, 12, 8), QTime(0, 5), QTimeZone::utc())))
                                         << "resets 00:05 \u00B7 Tue 8 Dec";
    QTest::newRow("no reset time") << std::optional<double>() << "";
}

void TestPlanAlertRules::body()
{
    QFETCH(std::optional<double>, resetsAt);
    QFETCH(QString, body);
    const PlanAlert alert{"claude", "Claude", "claude", "5-hour", 85, resetsAt, 80};
    QCOMPARE(alert.body(noon), body);
}

QTEST_GUILESS_MAIN(TestPlanAlertRules)
#include "TestPlanAlertRules.moc"
