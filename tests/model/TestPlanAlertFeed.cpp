// SPDX-License-Identifier: GPL-3.0-or-later
// The model feeds the plan alerts: its chosen providers, its alerts switch, and the data document
// of each refresh. (Delivery to the desktop is tested with the alerts themselves.)

#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "model/PlanAlertFeed.h"
#include "services/PlanAlerts.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QJsonObject window(const QString &label, double used)
{
    return {{"label", label}, {"usedPercent", used}, {"resetsAt", 4070961000.0}};
}

QJsonObject provider(const QString &id, const QString &name, const QJsonArray &windows)
{
    return {{"id", id}, {"name", name}, {"logo", id}, {"status", "ok"}, {"windows", windows}};
}

QJsonObject dataDocument(const QJsonArray &providers)
{
    return {{"ai", QJsonObject{{"providers", providers}}}};
}

QStringList alertedWindows(const QSignalSpy &due)
{
    QStringList windows;
    for (const QList<QVariant> &arguments : due) {
        const auto alert = arguments.constFirst().value<PlanAlert>();
        windows.append(alert.provider + QLatin1Char('/') + alert.window);
    }
    return windows;
}

} // namespace

class TestPlanAlertFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void followsTheModelsChoices();
    void checksTheDataDocumentOfEachRefresh();

private:
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPlanAlertFeed::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", screens().toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("model/views")).toUtf8());
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Tessarine", "Tessarine").clear();
    RefreshSupport::writeSettings(screens(), {RefreshSupport::page("full", {"plans.all"})}, {"claude", "grok"});
}

void TestPlanAlertFeed::followsTheModelsChoices()
{
    FrameModel model(TestSupport::configuration());
    PlanAlerts alerts(m_dir->filePath("plan-alerts.json"));
    new PlanAlertFeed(model, alerts);
    QCOMPARE(alerts.providers(), (QStringList{"claude", "grok"}));
    QVERIFY(alerts.isEnabled());

    model.display().setPlanAlerts(false);
    QVERIFY(!alerts.isEnabled());
    model.display().setPlanAlerts(true);
    QVERIFY(alerts.isEnabled());
}

void TestPlanAlertFeed::checksTheDataDocumentOfEachRefresh()
{
    FrameModel model(TestSupport::configuration());
    PlanAlerts alerts(m_dir->filePath("plan-alerts.json"));
    new PlanAlertFeed(model, alerts);
    QSignalSpy due(&alerts, &PlanAlerts::due);

    // The refresh hands on the document it collected; only chosen providers alert.
    Q_EMIT model.refresher().dataRefreshed(dataDocument(
        {provider("claude", "Claude", {window("5-hour", 30), window("This week", 91)}),
         provider("codex", "Codex", {window("5-hour", 99)}), provider("grok", "Grok", {window("Daily", 85)})}));
    QCOMPARE(alertedWindows(due), (QStringList{"claude/This week", "grok/Daily"}));

    // With the switch off, the next refresh alerts nothing.
    due.clear();
    model.display().setPlanAlerts(false);
    Q_EMIT model.refresher().dataRefreshed(dataDocument({provider("claude", "Claude", {window("5-hour", 97)})}));
    QCOMPARE(due.size(), 0);
}

QTEST_GUILESS_MAIN(TestPlanAlertFeed)
#include "TestPlanAlertFeed.moc"
