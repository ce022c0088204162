// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanAlerts.h"

#include "AlertClock.h"
#include "data/JsonFields.h"
#include "data/LocalSources.h"
#include "kit/Provider.h"
#include "platform/DesktopNotifications.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <algorithm>
#include <sys/stat.h>

namespace {

const QString claudeId = QStringLiteral("claude");
const QString applicationIcon = QStringLiteral("app.tessarine.Tessarine");

} // namespace

PlanAlerts::PlanAlerts(const QString &ledgerFile, QObject *parent)
    : QObject(parent)
    , m_ledger(ledgerFile)
    , m_runOutLedger(RunOutLedger::fileBeside(ledgerFile))
{
    setClock(new AlertClock);
}

void PlanAlerts::setClock(AlertClock *clock)
{
    delete m_clock;
    m_clock = clock;
    m_clock->setParent(this);
    m_claudeCheckedAt.reset();
    connect(m_clock, &AlertClock::rang, this, &PlanAlerts::checkClaudeReport);
}

PlanAlerts::~PlanAlerts() = default;

void PlanAlerts::setEnabled(bool enabled)
{
    const bool claudeWasWanted = claudeWanted();
    m_enabled = enabled;
    followChoice(claudeWasWanted);
}

void PlanAlerts::setProviders(const QStringList &providers)
{
    const bool claudeWasWanted = claudeWanted();
    m_providers = providers;
    followChoice(claudeWasWanted);
}

void PlanAlerts::followChoice(bool claudeWasWanted)
{
    // Changes of the report were let pass while Claude was not wanted; what it says now counts.
    if (m_watcher && !claudeWasWanted && claudeWanted())
        scheduleClaudeCheck();
}

void PlanAlerts::checkDocument(const QJsonObject &document, const QDateTime &now)
{
    checkEntries(
        JsonFields::array(JsonFields::object(document.value(QStringLiteral("ai"))).value(QStringLiteral("providers"))),
        now);
}

void PlanAlerts::checkEntries(const QJsonArray &entries, const QDateTime &now)
{
    if (!m_enabled)
        return;
    for (const QJsonValue &entry : entries)
        checkEntry(JsonFields::object(entry), now);
}

void PlanAlerts::checkEntry(const QJsonObject &entry, const QDateTime &now)
{
    using namespace JsonFields;
    const QString id = string(entry.value(QStringLiteral("id")));
    if (!m_providers.contains(id) || string(entry.value(QStringLiteral("status"))) != QStringLiteral("ok"))
        return;
    for (const QJsonValue &windowValue : array(entry.value(QStringLiteral("windows")))) {
        const QJsonObject window = object(windowValue);
        const std::optional<double> used = number(window.value(QStringLiteral("usedPercent")));
        if (!used)
            continue;
        const PlanAlertLedger::Reading reading{id, string(window.value(QStringLiteral("label"))), *used,
                                               number(window.value(QStringLiteral("resetsAt")))};
        checkRunOut(entry, window, reading, now);
        const std::optional<int> threshold = m_ledger.due(reading, now);
        if (!threshold)
            continue;
        PlanAlert alert{id,
                        string(entry.value(QStringLiteral("name")), id),
                        string(entry.value(QStringLiteral("logo"))),
                        reading.window,
                        reading.usedPercent,
                        reading.resetsAt,
                        *threshold};
        if (m_pending.contains(pendingKey(alert)))
            continue;
        Q_EMIT due(alert);
        deliver(alert);
    }
}

QCoro::Task<> PlanAlerts::deliver(PlanAlert alert)
{
    const QPointer<PlanAlerts> self(this);
    const QString key = pendingKey(alert);
    m_pending.insert(key);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // The call is made apart from the co_await: GCC 12 destroys a temporary argument built inside
    // a co_await expression twice.
    QCoro::Task<bool> showing =
        DesktopNotifications::show({alert.headline(now), alert.body(now), logoFile(alert.logo)});
    const bool shown = co_await std::move(showing);
    if (!self)
        co_return;
    m_pending.remove(key);
    // Only what the user was shown counts as alerted: without a notification service the same
    // threshold is tried again at the next check, in case the service has started meanwhile.
    if (!shown)
        co_return;
    recordDelivered(alert);
    Q_EMIT delivered(alert);
}

QString PlanAlerts::pendingKey(const PlanAlert &alert)
{
    return alert.provider + QLatin1Char('\n') + alert.window + QLatin1Char('\n') + QString::number(alert.threshold);
}

QString PlanAlerts::logoFile(const QString &logo)
{
    // The coloured logo reads best on a notification bubble; the plain one is the fallback.
    const QDir logos(Paths::resourcesDir() + QStringLiteral("/logos"));
    const QStringList names{logo + QStringLiteral("-color.svg"), logo + QStringLiteral(".svg")};
    for (const QString &name : names) {
        if (!logo.isEmpty() && QFileInfo(logos.filePath(name)).isFile())
            return logos.absoluteFilePath(name);
    }
    return applicationIcon;
}

void PlanAlerts::watchClaudeReport()
{
    if (m_watcher)
        return;
    m_claudeReport = LocalSources::claudeReportPath();
    const QString folder = QFileInfo(m_claudeReport).absolutePath();
    QDir().mkpath(folder);
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(folder);
    if (QFileInfo::exists(m_claudeReport))
        m_watcher->addPath(m_claudeReport);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &PlanAlerts::claudeReportChanged);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &PlanAlerts::claudeReportChanged);
    m_claudeSeen = claudeReportFingerprint();
    scheduleClaudeCheck();
}

PlanAlerts::Fingerprint PlanAlerts::claudeReportFingerprint() const
{
    struct stat status = {};
    if (::stat(QFile::encodeName(m_claudeReport).constData(), &status) != 0)
        return {};
    constexpr qint64 nanosPerSecond = 1000000000;
    return {true, quint64(status.st_ino), qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * nanosPerSecond + status.st_mtim.tv_nsec,
            qint64(status.st_ctim.tv_sec) * nanosPerSecond + status.st_ctim.tv_nsec};
}

void PlanAlerts::claudeReportChanged()
{
    watchNewClaudeReport();
    // The folder also changes for Tessarine's other files, and a change already read (its
    // notice may come after the reading) is no news: only a report that differs counts.
    const Fingerprint seen = claudeReportFingerprint();
    if (seen == m_claudeSeen)
        return;
    m_claudeSeen = seen;
    scheduleClaudeCheck();
}

void PlanAlerts::watchNewClaudeReport()
{
    // A report replaced by renaming a new file over it is a new file: the watch on the old one
    // has ended with it, so the new one is watched afresh.
    if (QFileInfo::exists(m_claudeReport) && !m_watcher->files().contains(m_claudeReport))
        m_watcher->addPath(m_claudeReport);
}

void PlanAlerts::scheduleClaudeCheck()
{
    watchNewClaudeReport();
    if (!m_claudeSeen.exists || !claudeWanted() || m_clock->isAlarmSet())
        return;
    // At most one reading per interval: a change within it is read when the interval is over.
    auto wait = claudeReportSettle;
    if (m_claudeCheckedAt)
        wait = std::max(wait, m_claudeInterval - (m_clock->now() - *m_claudeCheckedAt));
    m_clock->setAlarm(wait);
}

bool PlanAlerts::claudeWanted() const
{
    return m_enabled && m_providers.contains(claudeId);
}

void PlanAlerts::checkClaudeReport()
{
    m_clock->clearAlarm();
    if (!claudeWanted())
        return;
    m_claudeCheckedAt = m_clock->now();
    m_claudeSeen = claudeReportFingerprint();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const std::optional<LocalSources::Claude> report = LocalSources::claude(now);
    Q_EMIT claudeReportChecked();
    if (!report)
        return;
    // The same entry a refresh makes of the report, named from the providers table.
    const Provider *claude = Provider::find(claudeId);
    const QJsonObject entry{{QStringLiteral("id"), claudeId},
                            {QStringLiteral("name"), claude ? claude->name : claudeId},
                            {QStringLiteral("logo"), claude ? claude->logo : claudeId},
                            {QStringLiteral("status"), QStringLiteral("ok")},
                            {QStringLiteral("windows"), report->windows}};
    checkEntries({entry}, now);
    checkClaudeTrend(entry, now);
}
