// SPDX-License-Identifier: GPL-3.0-or-later
// Plan alerts end to end on a private session bus (the test runs under dbus-run-session), with a
// fake notification service in place of the desktop's; one run goes without any session bus.

#include "FakeNotificationService.h"
#include "TestSupport.h"
#include "data/LocalSources.h"
#include "services/AlertClock.h"
#include "services/PlanAlerts.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

using namespace std::chrono_literals;

namespace {

// 2099-01-01 14:30 UTC, a Thursday: far enough ahead never to have passed.
constexpr double newYearReset = 4070961000;
constexpr double laterReset = newYearReset + 5 * 3600;

QJsonObject window(const QString &label, double used, std::optional<double> resetsAt = newYearReset)
{
    return {{"label", label}, {"usedPercent", used}, {"resetsAt", resetsAt ? QJsonValue(*resetsAt) : QJsonValue()}};
}

QJsonObject entry(const QString &id, const QString &name, const QString &logo, const QJsonArray &windows,
                  const QString &status = QStringLiteral("ok"))
{
    return {{"id", id}, {"name", name}, {"logo", logo}, {"status", status}, {"windows", windows}};
}

QJsonArray claudeAt(double fiveHour, double resetsAt = newYearReset)
{
    return {entry("claude", "Claude", "claude", {window("5-hour", fiveHour, resetsAt)})};
}

// Claude Code's status-line report as the shipped script writes it.
QByteArray claudeReport(double fiveHour, double sevenDay = 10)
{
    const QJsonObject report{{"fiveHour", QJsonObject{{"used_percentage", fiveHour}, {"resets_at", newYearReset}}},
                             {"sevenDay", QJsonObject{{"used_percentage", sevenDay}, {"resets_at", laterReset}}},
                             {"savedAt", "2026-12-07T12:00:00Z"}};
    return QJsonDocument(report).toJson(QJsonDocument::Compact) + '\n';
}

// Rewrites the file in place: the same file, truncated and written again.
void rewriteInPlace(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Writes a new file beside it and renames it over the old one, as the status-line script does.
void replaceByRename(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

// Time that moves only when the test says: the alarm rings when advance() reaches it.
class FakeAlertClock : public AlertClock
{
    Q_OBJECT

public:
    std::chrono::milliseconds now() const override { return m_now; }
    void setAlarm(std::chrono::milliseconds after) override
    {
        m_alarmAt = m_now + after;
        Q_EMIT alarmSet(after.count());
    }
    void clearAlarm() override { m_alarmAt.reset(); }
    bool isAlarmSet() const override { return m_alarmAt.has_value(); }

    void advance(std::chrono::milliseconds by)
    {
        m_now += by;
        if (m_alarmAt && *m_alarmAt <= m_now) {
            m_alarmAt.reset();
            Q_EMIT rang();
        }
    }

Q_SIGNALS:
    void alarmSet(qint64 afterMs);

private:
    std::chrono::milliseconds m_now{0};
    std::optional<std::chrono::milliseconds> m_alarmAt;
};

FakeAlertClock *fakeClock(PlanAlerts &alerts)
{
    auto *clock = new FakeAlertClock;
    alerts.setClock(clock);
    return clock;
}

// Makes `change`, waits until the change's notice has set the alarm and lets the settling time
// pass; false when no alarm was set.
bool settleAfter(FakeAlertClock *clock, const std::function<void()> &change)
{
    QSignalSpy alarmSet(clock, &FakeAlertClock::alarmSet);
    change();
    if (!alarmSet.wait())
        return false;
    clock->advance(PlanAlerts::claudeReportSettle);
    return true;
}

// Has `change` made in the report's folder, and returns once the change's notice has come in
// (a watcher of the folder's own sees it), so a watch that ignores it has had its chance.
void changeAndLetItBeNoticed(const QString &report, const std::function<void()> &change)
{
    QFileSystemWatcher folder({QFileInfo(report).absolutePath()});
    QSignalSpy noticed(&folder, &QFileSystemWatcher::directoryChanged);
    change();
    QVERIFY(noticed.wait());
    QCoreApplication::processEvents();
}

} // namespace

class TestPlanAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void notificationTellsProviderWindowAndReset();
    void eachThresholdOncePerPeriod();
    void jumpPastBothThresholdsAlertsOnce();
    void onlyChosenProvidersWithAlertsOn();
    void restartRemembersWhatWasAlerted();
    void withoutServiceNothingIsRecorded();
    void runOutWarnsOncePerPeriod();

    void reportRewrittenInPlaceIsChecked();
    void reportReplacedByRenameIsChecked();
    void reportCreatedLaterIsChecked();
    void reportIsReadAtMostOncePerInterval();
    void otherFilesInTheFolderAreNoReason();
    void reportThereAtStartIsRead();

    // Run on its own, outside any session bus.
    void withoutSessionBus();

private:
    std::unique_ptr<PlanAlerts> makeAlerts() const;
    QString ledgerFile() const { return m_dir->filePath(QStringLiteral("plan-alerts.json")); }
    static bool settle(const PlanAlerts &alerts);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeNotificationService> m_service;
    QString m_report;
};

void TestPlanAlerts::initTestCase()
{
    // Reset times read in one known zone.
    qputenv("TZ", "UTC");
    m_report = LocalSources::claudeReportPath();
}

void TestPlanAlerts::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile::remove(m_report);
    if (QTest::currentTestFunction() == QByteArray("withoutSessionBus"))
        return;
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "runs under dbus-run-session");
    m_service = std::make_unique<FakeNotificationService>();
    QVERIFY(m_service->start());
}

void TestPlanAlerts::cleanup()
{
    m_service.reset();
    QFile::remove(m_report);
}

std::unique_ptr<PlanAlerts> TestPlanAlerts::makeAlerts() const
{
    auto alerts = std::make_unique<PlanAlerts>(ledgerFile());
    alerts->setProviders({"claude", "codex", "grok"});
    return alerts;
}

bool TestPlanAlerts::settle(const PlanAlerts &alerts)
{
    return QTest::qWaitFor([&] { return !alerts.isDelivering(); }, 5000);
}

void TestPlanAlerts::notificationTellsProviderWindowAndReset()
{
    const auto alerts = makeAlerts();
    alerts->checkEntries({entry("codex", "Codex", "openai", {window("This week", 82.7)})});
    QTRY_COMPARE(m_service->calls().size(), 1);
    const FakeNotificationService::Call call = m_service->calls().constFirst();
    QCOMPARE(call.appName, QStringLiteral("Tessarine"));
    QCOMPARE(call.summary, QStringLiteral("Codex \u00B7 weekly window at 82 %"));
    QCOMPARE(call.body, QStringLiteral("resets 14:30 \u00B7 Thu 1 Jan"));
    QCOMPARE(call.replacesId, 0u);
    QCOMPARE(call.expireTimeout, -1);
    QCOMPARE(call.hints.value("desktop-entry").toString(), QStringLiteral("app.tessarine.Tessarine"));
    // The provider's own logo, as a file the service can open.
    QVERIFY2(call.appIcon.startsWith("file:///") && call.appIcon.endsWith("/logos/openai-color.svg"),
             qPrintable(call.appIcon));
    QVERIFY(QFileInfo::exists(QUrl(call.appIcon).toLocalFile()));
}

void TestPlanAlerts::eachThresholdOncePerPeriod()
{
    const auto alerts = makeAlerts();
    QSignalSpy delivered(alerts.get(), &PlanAlerts::delivered);
    for (const double used : {50.0, 80.0, 85.0, 90.0})
        alerts->checkEntries(claudeAt(used));
    QTRY_COMPARE(delivered.size(), 1);
    for (const double used : {95.5, 97.0, 99.0})
        alerts->checkEntries(claudeAt(used));
    QTRY_COMPARE(delivered.size(), 2);
    // The window rolled over and climbs again in its next period: both thresholds alert anew.
    for (const double used : {3.0, 81.0, 96.0})
        alerts->checkEntries(claudeAt(used, laterReset));
    QTRY_COMPARE(delivered.size(), 4);
    QVERIFY(settle(*alerts));
    QCOMPARE(m_service->summaries(),
             (QStringList{"Claude \u00B7 5-hour window at 80 %", "Claude \u00B7 5-hour window at 95 %",
                          "Claude \u00B7 5-hour window at 81 %", "Claude \u00B7 5-hour window at 96 %"}));
}

void TestPlanAlerts::jumpPastBothThresholdsAlertsOnce()
{
    const auto alerts = makeAlerts();
    alerts->checkEntries(claudeAt(97));
    QTRY_COMPARE(m_service->calls().size(), 1);
    alerts->checkEntries(claudeAt(98));
    QVERIFY(settle(*alerts));
    QCOMPARE(m_service->summaries(), QStringList{"Claude \u00B7 5-hour window at 97 %"});
    QCOMPARE(alerts->ledger().alerted("claude", "5-hour"), std::optional<int>(95));
}

void TestPlanAlerts::onlyChosenProvidersWithAlertsOn()
{
    const auto alerts = makeAlerts();
    alerts->setProviders({"codex"});
    QSignalSpy due(alerts.get(), &PlanAlerts::due);
    alerts->checkEntries({entry("claude", "Claude", "claude", {window("5-hour", 90)}),
                          entry("codex", "Codex", "openai", {window("5-hour", 40), window("This week", 90)}),
                          entry("grok", "Grok", "grok", {window("Daily", 99)}, "unavailable")});
    QCOMPARE(due.size(), 1);
    QCOMPARE(due.constFirst().constFirst().value<PlanAlert>().provider, QStringLiteral("codex"));
    QTRY_COMPARE(m_service->calls().size(), 1);

    alerts->setEnabled(false);
    alerts->checkEntries({entry("codex", "Codex", "openai", {window("5-hour", 99)})});
    QCOMPARE(due.size(), 1);
    QVERIFY(settle(*alerts));
    QCOMPARE(m_service->calls().size(), 1);
}

void TestPlanAlerts::runOutWarnsOncePerPeriod()
{
    const auto alerts = makeAlerts();
    const double now = double(QDateTime::currentSecsSinceEpoch());
    const auto forecast = [&](double runsOutIn, double resetsIn) {
        QJsonObject fiveHour = window("5-hour", 60, now + resetsIn * 60);
        fiveHour.insert("runsOutAt", now + runsOutIn * 60);
        return QJsonArray{entry("claude", "Claude", "claude", {fiveHour})};
    };
    alerts->checkEntries(forecast(120, 200)); // two hours ahead: not yet
    alerts->checkEntries(forecast(40, 30));   // the reset comes first
    alerts->checkEntries(forecast(40, 120));
    QTRY_COMPARE(m_service->calls().size(), 1);
    QVERIFY(settle(*alerts));
    alerts->checkEntries(forecast(30, 120));
    QVERIFY(settle(*alerts));
    QCOMPARE(m_service->calls().size(), 1);
    const QString summary = m_service->calls().constFirst().summary;
    QVERIFY2(summary.startsWith("Claude \u00B7 5-hour window runs out at about ") &&
                 summary.endsWith(" at this pace, 1 h 20 min before it resets"),
             qPrintable(summary));
    // The next period warns again.
    alerts->checkEntries(forecast(40, 420));
    QTRY_COMPARE(m_service->calls().size(), 2);
    QVERIFY(settle(*alerts));
}

void TestPlanAlerts::restartRemembersWhatWasAlerted()
{
    {
        const auto alerts = makeAlerts();
        alerts->checkEntries(claudeAt(85));
        QTRY_COMPARE(m_service->calls().size(), 1);
        QVERIFY(settle(*alerts));
    }
    const auto restarted = makeAlerts();
    restarted->checkEntries(claudeAt(88));
    QVERIFY(settle(*restarted));
    QCOMPARE(m_service->calls().size(), 1);
    restarted->checkEntries(claudeAt(95));
    QTRY_COMPARE(m_service->calls().size(), 2);
    QCOMPARE(m_service->calls().last().summary, QStringLiteral("Claude \u00B7 5-hour window at 95 %"));
}

void TestPlanAlerts::withoutServiceNothingIsRecorded()
{
    m_service->stop();
    const auto alerts = makeAlerts();
    QSignalSpy due(alerts.get(), &PlanAlerts::due);
    QSignalSpy delivered(alerts.get(), &PlanAlerts::delivered);
    alerts->checkEntries(claudeAt(85));
    QCOMPARE(due.size(), 1);
    QVERIFY(settle(*alerts));
    QCOMPARE(delivered.size(), 0);
    QCOMPARE(alerts->ledger().alerted("claude", "5-hour"), std::nullopt);
    QVERIFY(!QFile::exists(ledgerFile()));

    // Once a service runs, the alert the user never saw is shown.
    QVERIFY(m_service->start());
    alerts->checkEntries(claudeAt(86));
    QTRY_COMPARE(delivered.size(), 1);
    QCOMPARE(m_service->summaries(), QStringList{"Claude \u00B7 5-hour window at 86 %"});
}

void TestPlanAlerts::reportRewrittenInPlaceIsChecked()
{
    QVERIFY(TestSupport::writeFile(m_report, claudeReport(20)));
    const auto alerts = makeAlerts();
    FakeAlertClock *clock = fakeClock(*alerts);
    alerts->setClaudeReportInterval(0ms);
    alerts->watchClaudeReport();
    QSignalSpy checked(alerts.get(), &PlanAlerts::claudeReportChecked);
    clock->advance(PlanAlerts::claudeReportSettle);
    QCOMPARE(checked.size(), 1);
    QVERIFY(settleAfter(clock, [&] { rewriteInPlace(m_report, claudeReport(83)); }));
    QTRY_COMPARE(m_service->calls().size(), 1);
    QCOMPARE(m_service->calls().constFirst().summary, QStringLiteral("Claude \u00B7 5-hour window at 83 %"));
    QVERIFY(m_service->calls().constFirst().appIcon.endsWith("/logos/claude-color.svg"));
    QCOMPARE(checked.size(), 2);
}

void TestPlanAlerts::reportReplacedByRenameIsChecked()
{
    QVERIFY(TestSupport::writeFile(m_report, claudeReport(20)));
    const auto alerts = makeAlerts();
    FakeAlertClock *clock = fakeClock(*alerts);
    alerts->setClaudeReportInterval(0ms);
    alerts->watchClaudeReport();
    clock->advance(PlanAlerts::claudeReportSettle);
    QVERIFY(settleAfter(clock, [&] { replaceByRename(m_report, claudeReport(84)); }));
    QTRY_COMPARE(m_service->calls().size(), 1);
    // The new file is watched in turn, whichever way it changes next.
    QVERIFY(settleAfter(clock, [&] { replaceByRename(m_report, claudeReport(84, 91)); }));
    QTRY_COMPARE(m_service->calls().size(), 2);
    QVERIFY(settleAfter(clock, [&] { rewriteInPlace(m_report, claudeReport(96, 91)); }));
    QTRY_COMPARE(m_service->calls().size(), 3);
    QCOMPARE(m_service->summaries(),
             (QStringList{"Claude \u00B7 5-hour window at 84 %", "Claude \u00B7 weekly window at 91 %",
                          "Claude \u00B7 5-hour window at 96 %"}));
}

void TestPlanAlerts::reportCreatedLaterIsChecked()
{
    const auto alerts = makeAlerts();
    FakeAlertClock *clock = fakeClock(*alerts);
    alerts->setClaudeReportInterval(0ms);
    alerts->watchClaudeReport();
    QVERIFY(settleAfter(clock, [&] { QVERIFY(TestSupport::writeFile(m_report, claudeReport(88))); }));
    QTRY_COMPARE(m_service->calls().size(), 1);
}

void TestPlanAlerts::reportIsReadAtMostOncePerInterval()
{
    constexpr auto interval = 1000ms;
    QVERIFY(TestSupport::writeFile(m_report, claudeReport(20)));
    const auto alerts = makeAlerts();
    FakeAlertClock *clock = fakeClock(*alerts);
    alerts->setClaudeReportInterval(interval);
    QSignalSpy checked(alerts.get(), &PlanAlerts::claudeReportChecked);
    alerts->watchClaudeReport();
    replaceByRename(m_report, claudeReport(81));
    clock->advance(PlanAlerts::claudeReportSettle);
    QCOMPARE(checked.size(), 1);

    // Every prompt rewrites the report: the changes within the interval are read once, when it
    // is over, and the reading finds the last of them.
    QSignalSpy alarmSet(clock, &FakeAlertClock::alarmSet);
    for (const double used : {85.0, 90.0, 96.0})
        replaceByRename(m_report, claudeReport(used));
    QVERIFY(alarmSet.wait());
    QCOMPARE(alarmSet.constFirst().constFirst().toLongLong(), interval.count());
    clock->advance(interval - 1ms);
    QCOMPARE(checked.size(), 1);
    clock->advance(1ms);
    QCOMPARE(checked.size(), 2);
    QTRY_COMPARE(m_service->calls().size(), 2);
    QCOMPARE(m_service->summaries(),
             (QStringList{"Claude \u00B7 5-hour window at 81 %", "Claude \u00B7 5-hour window at 96 %"}));
    // Nothing changed since: no further reading, even when the changes' notices come late.
    QCoreApplication::processEvents();
    clock->advance(10 * interval);
    QCOMPARE(checked.size(), 2);
}

void TestPlanAlerts::otherFilesInTheFolderAreNoReason()
{
    QVERIFY(TestSupport::writeFile(m_report, claudeReport(20)));
    const auto alerts = makeAlerts();
    FakeAlertClock *clock = fakeClock(*alerts);
    alerts->setClaudeReportInterval(0ms);
    QSignalSpy checked(alerts.get(), &PlanAlerts::claudeReportChecked);
    alerts->watchClaudeReport();
    clock->advance(PlanAlerts::claudeReportSettle);
    QCOMPARE(checked.size(), 1); // the report there is at the start
    const QString settings = QFileInfo(m_report).dir().filePath("settings.json");
    changeAndLetItBeNoticed(m_report, [&] { replaceByRename(settings, "{}"); });
    clock->advance(PlanAlerts::claudeReportInterval);
    QCOMPARE(checked.size(), 1);
    QFile::remove(settings);

    // Claude left out of the chosen providers: its report is not read...
    alerts->setProviders({"codex"});
    changeAndLetItBeNoticed(m_report, [&] { replaceByRename(m_report, claudeReport(90)); });
    clock->advance(PlanAlerts::claudeReportInterval);
    QCOMPARE(checked.size(), 1);
    QCOMPARE(m_service->calls().size(), 0);
    // ...until Claude is chosen again, when what it says by then counts.
    alerts->setProviders({"codex", "claude"});
    clock->advance(PlanAlerts::claudeReportSettle);
    QCOMPARE(checked.size(), 2);
    QTRY_COMPARE(m_service->calls().size(), 1);
    QCOMPARE(m_service->calls().constFirst().summary, QStringLiteral("Claude \u00B7 5-hour window at 90 %"));
}

void TestPlanAlerts::reportThereAtStartIsRead()
{
    QVERIFY(TestSupport::writeFile(m_report, claudeReport(88)));
    const auto alerts = makeAlerts();
    FakeAlertClock *clock = fakeClock(*alerts);
    alerts->watchClaudeReport();
    clock->advance(PlanAlerts::claudeReportSettle);
    QTRY_COMPARE(m_service->calls().size(), 1);
    QCOMPARE(m_service->calls().constFirst().summary, QStringLiteral("Claude \u00B7 5-hour window at 88 %"));
}

void TestPlanAlerts::withoutSessionBus()
{
    if (QDBusConnection::sessionBus().isConnected())
        QSKIP("meant for the run without a session bus");
    const auto alerts = makeAlerts();
    QSignalSpy due(alerts.get(), &PlanAlerts::due);
    alerts->checkEntries(claudeAt(99));
    QCOMPARE(due.size(), 1);
    QVERIFY(settle(*alerts));
    QCOMPARE(alerts->ledger().alerted("claude", "5-hour"), std::nullopt);
}

QTEST_GUILESS_MAIN(TestPlanAlerts)
#include "TestPlanAlerts.moc"
