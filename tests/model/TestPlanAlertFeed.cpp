// SPDX-License-Identifier: GPL-3.0-or-later
// The model feeds the plan alerts: its chosen providers, its alerts switch, and the data document
// a refresh leaves. (Delivery to the desktop is tested with the alerts themselves.)

#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "model/PlanAlertFeed.h"
#include "services/PlanAlerts.h"

#include <QJsonDocument>
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
    void checksTheDataDocumentWhenARefreshEnds();

private:
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    void writeDataDocument(const QJsonArray &providers) const;

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

void TestPlanAlertFeed::writeDataDocument(const QJsonArray &providers) const
{
    const QJsonObject document{{"ai", QJsonObject{{"providers", providers}}}};
    QVERIFY(TestSupport::writeFile(screens() + QStringLiteral("/data.json"), QJsonDocument(document).toJson()));
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

void TestPlanAlertFeed::checksTheDataDocumentWhenARefreshEnds()
{
    FrameModel model(TestSupport::configuration());
    PlanAlerts alerts(m_dir->filePath("plan-alerts.json"));
    new PlanAlertFeed(model, alerts);
    QSignalSpy due(&alerts, &PlanAlerts::due);
    writeDataDocument({provider("claude", "Claude", {window("5-hour", 30), window("This week", 91)}),
                       provider("codex", "Codex", {window("5-hour", 99)}),
                       provider("grok", "Grok", {window("Daily", 85)})});

    // The end of a refresh checks the document it left; only chosen providers alert.
    Q_EMIT model.isRefreshingChanged();
    QCOMPARE(alertedWindows(due), (QStringList{"claude/This week", "grok/Daily"}));

    // With the switch off, the next refresh alerts nothing.
    due.clear();
    writeDataDocument({provider("claude", "Claude", {window("5-hour", 97)})});
    model.display().setPlanAlerts(false);
    Q_EMIT model.isRefreshingChanged();
    QCOMPARE(due.size(), 0);

    // A missing or broken document is no alert and no failure.
    model.display().setPlanAlerts(true);
    QVERIFY(TestSupport::writeFile(screens() + QStringLiteral("/data.json"), "{\"ai\": "));
    Q_EMIT model.isRefreshingChanged();
    QCOMPARE(due.size(), 0);
}

QTEST_GUILESS_MAIN(TestPlanAlertFeed)
#include "TestPlanAlertFeed.moc"
