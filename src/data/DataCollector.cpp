// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataCollector.h"

#include "ClaudeCodeFolder.h"
#include "DateText.h"
#include "GitHubSource.h"
#include "LocalSources.h"
#include "UsageTrends.h"
#include "UserEnvironment.h"
#include "WisprSource.h"
#include "kit/Problem.h"
#include "kit/Provider.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonValue>

namespace {

// An entry with the table's name and logo for the provider.
QJsonObject entry(const Provider &provider, const QString &status)
{
    return QJsonObject{{QStringLiteral("id"), provider.id},
                       {QStringLiteral("name"), provider.name},
                       {QStringLiteral("logo"), provider.logo},
                       {QStringLiteral("status"), status}};
}

QJsonObject withReason(QJsonObject entry, const QString &reason)
{
    entry.insert(QStringLiteral("reason"), reason);
    return entry;
}

// Claude Code keeps its settings in its folder; without it no session will ever report. A
// session seen without plan usage was signed in with an API key, which has no plan to report.
QString claudeWaitingReason()
{
    if (!QFileInfo::exists(ClaudeCodeFolder::path()))
        return QStringLiteral("Install Claude Code to show your Claude plan");
    if (QFileInfo::exists(LocalSources::claudeWithoutPlanUsagePath()))
        return QStringLiteral("Claude Code reports plan usage only for Claude subscription sign-ins");
    return QStringLiteral("Appears after the next Claude Code session on this computer");
}

QJsonObject claudeEntry(const Provider &provider, const QDateTime &now)
{
    const std::optional<LocalSources::Claude> claude = LocalSources::claude(now);
    if (!claude) {
        const QString reason = claudeWaitingReason();
        // Waiting helps only where a later session can report; an API-key sign-in never will.
        const bool waits = !QFileInfo::exists(LocalSources::claudeWithoutPlanUsagePath());
        return withReason(entry(provider, waits ? QStringLiteral("empty") : QStringLiteral("unavailable")), reason);
    }
    QJsonObject ok = entry(provider, QStringLiteral("ok"));
    ok.insert(QStringLiteral("windows"), claude->windows);
    ok.insert(QStringLiteral("seenAt"), claude->savedAt);
    return ok;
}

QJsonObject codexEntry(const Provider &provider, const LocalSources::CodexReading &reading)
{
    const std::optional<LocalSources::Codex> &codex = reading.codex;
    if (!codex)
        return withReason(entry(provider, QStringLiteral("unavailable")), reading.reason);
    QJsonObject ok = entry(provider, QStringLiteral("ok"));
    ok.insert(QStringLiteral("plan"), codex->plan ? QJsonValue(*codex->plan) : QJsonValue(QJsonValue::Null));
    ok.insert(QStringLiteral("windows"), codex->windows);
    const QJsonObject tokens{
        {QStringLiteral("label"), QStringLiteral("Last 30 days")},
        {QStringLiteral("value"), codex->tokens30},
        {QStringLiteral("format"), QStringLiteral("tokens")},
        {QStringLiteral("sub"),
         QString(QStringLiteral("tokens \u00B7 ") + QString::number(codex->streak) + QStringLiteral("-day streak"))},
    };
    ok.insert(QStringLiteral("stats"), QJsonArray{tokens});
    return ok;
}

QJsonObject grokEntry(const Provider &provider, const LocalSources::Grok &grok)
{
    if (!grok.windows)
        return withReason(entry(provider, QStringLiteral("unavailable")),
                          grok.reason.value_or(QStringLiteral("Grok reported no usage")));
    QJsonObject ok = entry(provider, QStringLiteral("ok"));
    ok.insert(QStringLiteral("windows"), *grok.windows);
    return ok;
}

// A provider found by its command-line tool that has nothing to report yet ("Gemini CLI").
QJsonObject noReportEntry(const Provider &provider)
{
    return withReason(entry(provider, QStringLiteral("unavailable")),
                      provider.name + QStringLiteral(" CLI has no usage report yet"));
}

QJsonObject wisprEntry(const Provider &provider, const WisprSource::Reading &reading)
{
    if (!reading.stats)
        return withReason(entry(provider, QStringLiteral("unavailable")), reading.reason);
    QJsonObject ok = entry(provider, QStringLiteral("ok"));
    ok.insert(QStringLiteral("windows"), QJsonArray());
    ok.insert(QStringLiteral("stats"), *reading.stats);
    return ok;
}

// The entry of one provider, read from the source its row in the table names.
QCoro::Task<QJsonObject> readSource(Provider provider, QDateTime now, std::chrono::milliseconds toolTimeout)
{
    switch (provider.source) {
    case Provider::Source::ClaudeStatusLine:
        co_return claudeEntry(provider, now);
    case Provider::Source::CodexAppServer:
        co_return codexEntry(provider, co_await LocalSources::codexReading(now, toolTimeout));
    case Provider::Source::GrokUsage:
        co_return grokEntry(provider, co_await LocalSources::grok(now, toolTimeout));
    case Provider::Source::NoReport:
        co_return noReportEntry(provider);
    case Provider::Source::WisprDatabase:
        co_return wisprEntry(provider, co_await LocalSources::wispr(now));
    }
    co_return QJsonObject();
}

} // namespace

const QStringList DataCollector::allProviders = Provider::ids();

DataCollector::DataCollector(QJsonArray pages, QSet<QString> usedWidgets, QStringList chosenProviders, bool showLogos,
                             std::optional<QJsonObject> countdown, std::optional<QJsonObject> calendar,
                             std::optional<QString> githubToken)
    : m_pages(std::move(pages))
    , m_usedWidgets(std::move(usedWidgets))
    , m_chosenProviders(std::move(chosenProviders))
    , m_showLogos(showLogos)
    , m_countdown(std::move(countdown))
    , m_calendar(std::move(calendar))
    , m_githubToken(std::move(githubToken))
    , m_githubTimeout(GitHubSource::defaultTimeout)
    , m_toolTimeout(defaultToolTimeout)
    , m_usageHistory(UsageTrends::chosenDatabase())
{}

void DataCollector::setTimeouts(std::chrono::milliseconds github, std::chrono::milliseconds tools)
{
    m_githubTimeout = github;
    m_toolTimeout = tools;
}

bool DataCollector::needsGitHub() const
{
    return std::any_of(m_usedWidgets.cbegin(), m_usedWidgets.cend(),
                       [](const QString &widget) { return widget.startsWith(QStringLiteral("github.")); });
}

QStringList DataCollector::neededProviders() const
{
    const bool allPlans = m_usedWidgets.contains(QStringLiteral("plans.all"));
    QStringList needed;
    for (const QString &id : allProviders) {
        if (m_usedWidgets.contains(QStringLiteral("provider.") + id) || (allPlans && m_chosenProviders.contains(id)))
            needed.append(id);
    }
    return needed;
}

QCoro::Task<DataCollector::Result> DataCollector::collect(QDateTime now) const
{
    // Everything the collection needs is copied before the first suspension, so the caller
    // need not keep the collector alive while it runs.
    const DataCollector self = *this;

    Result result;
    QJsonValue github(QJsonValue::Null);
    if (self.needsGitHub()) {
        try {
            if (!self.m_githubToken || self.m_githubToken->isEmpty())
                throw Problem(signInReason());
            const GitHubSource source(*self.m_githubToken, self.m_gitHubApi, self.m_githubTimeout);
            const GitHubSource::Fetched fetched = co_await source.fetch(now);
            result.login = fetched.login;
            github = fetched.section;
        } catch (const Problem &problem) {
            result.githubProblem = problem.message();
        } catch (const std::exception &other) {
            result.githubProblem = QString::fromLocal8Bit(other.what());
        }
        if (result.githubProblem)
            github = unavailableGitHub(*result.githubProblem);
    }

    QJsonArray providers;
    // The tools are looked for as the user's terminal finds them, Claude Code's folder included
    // (it may be set there): that environment is known before the first provider is read.
    if (!self.neededProviders().isEmpty())
        co_await UserEnvironment::instance().environment();
    for (const QString &id : self.neededProviders())
        providers.append(co_await provider(id, now, self.m_toolTimeout));
    // Each window's recorded use and forecast, from the readings just taken.
    QCoro::Task<UsageTrends::Outcome> annotating = UsageTrends::annotate(providers, now, self.m_usageHistory);
    const UsageTrends::Outcome trends = co_await std::move(annotating);

    result.data = self.document(now, github, trends.providers, trends.notice);
    co_return result;
}

QString DataCollector::signInReason()
{
    return QStringLiteral("Sign in to GitHub in Connections, or remove the GitHub widgets.");
}

QJsonObject DataCollector::unavailableGitHub(const QString &reason)
{
    return QJsonObject{{QStringLiteral("status"), QStringLiteral("unavailable")}, {QStringLiteral("reason"), reason}};
}

QCoro::Task<QJsonObject> DataCollector::provider(QString id, QDateTime now, std::chrono::milliseconds toolTimeout)
{
    const Provider *known = Provider::find(id);
    // Only the table's ids are ever collected; any other id is a fault, never another
    // provider's figures.
    if (!known)
        throw Problem(QStringLiteral("Tessarine has no provider called “") + id + QStringLiteral("”."));
    co_return co_await readSource(*known, now, toolTimeout);
}

QJsonObject DataCollector::document(const QDateTime &now, const QJsonValue &github, const QJsonArray &providers,
                                    const QString &historyNotice) const
{
    QJsonValue calendar(QJsonValue::Null);
    if (m_usedWidgets.contains(QStringLiteral("calendar.next")))
        calendar = m_calendar.value_or(QJsonObject{{QStringLiteral("status"), QStringLiteral("noAccess")},
                                                   {QStringLiteral("events"), QJsonArray()}});

    QJsonObject document;
    document.insert(QStringLiteral("updatedAt"), DateText::withFraction(now));
    document.insert(QStringLiteral("brand"), QStringLiteral("tessarine"));
    document.insert(QStringLiteral("logos"), m_showLogos);
    document.insert(QStringLiteral("github"), github);
    QJsonObject ai{{QStringLiteral("chosen"), QJsonArray::fromStringList(m_chosenProviders)},
                   {QStringLiteral("providers"), providers}};
    // Only when the usage history had to be started afresh.
    if (!historyNotice.isEmpty())
        ai.insert(QStringLiteral("historyNotice"), historyNotice);
    document.insert(QStringLiteral("ai"), ai);
    // The table, so that the page view can name, mark and tint a provider that has no entry here.
    document.insert(QStringLiteral("providers"), Provider::tableJson());
    document.insert(QStringLiteral("pages"), m_pages);
    document.insert(QStringLiteral("countdown"), m_countdown ? QJsonValue(*m_countdown) : QJsonValue(QJsonValue::Null));
    document.insert(QStringLiteral("calendar"), calendar);
    document.insert(QStringLiteral("generatedBy"), QStringLiteral("Tessarine.app"));
    return document;
}
