// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionsState.h"

#include "data/Shell.h"
#include "data/UserEnvironment.h"
#include "kit/OneLine.h"
#include "platform/Paths.h"
#include "platform/SmallFileReader.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// "data.json" holds the whole data document of a refresh, GitHub's year included.
constexpr qint64 maxDataBytes = 64 * 1024 * 1024;

const QString ghLoginKey = QStringLiteral("ghlogin");
// GitHub logins have at most 39 characters.
constexpr qsizetype maxLoginLength = 64;

std::optional<QString> stringMember(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

// One probe line split at its first "=" the way the probe's own format reads: "=" signs before
// the name are skipped, and everything after the name's "=" is the value, more "=" included.
std::optional<std::pair<QString, QString>> splitProbeLine(const QString &line)
{
    qsizetype start = 0;
    while (start < line.size() && line.at(start) == QLatin1Char('='))
        ++start;
    const qsizetype equals = line.indexOf(QLatin1Char('='), start);
    if (start == line.size() || equals < 0 || equals + 1 == line.size())
        return std::nullopt;
    return std::pair{line.mid(start, equals - start), line.mid(equals + 1)};
}

// The GitHub CLI and every provider's command-line tool, as the providers table names them.
QString probedTools()
{
    QStringList tools{QStringLiteral("gh")};
    for (const Provider &provider : Provider::all()) {
        if (!provider.tool.isEmpty())
            tools.append(provider.tool);
    }
    return tools.join(QLatin1Char(' '));
}

} // namespace

const QString ConnectionsState::probeScript =
    QStringLiteral("for t in ") + probedTools() +
    QStringLiteral("; do printf '%s=%s\\n' $t \"$(command -v $t)\"; done\n"
                   "command -v gh >/dev/null && printf 'ghlogin=%s\\n' \"$(gh api user --jq .login 2>/dev/null)\"");

ConnectionsState::ConnectionsState(QObject *parent)
    : QObject(parent)
{}

void ConnectionsState::check(const QString &screensDir)
{
    refreshClaude();
    if (const auto providers = readProviders(screensDir + QStringLiteral("/data.json"))) {
        if (*providers != m_providers) {
            m_providers = *providers;
            Q_EMIT providersChanged();
        }
    }
    if (m_isChecking)
        return;
    setIsChecking(true);
    // Opening the window (or "Check Again") looks at the machine as it is now: a tool installed
    // in a terminal since the last look counts.
    UserEnvironment::instance().forget();
    startProbe();
}

bool ConnectionsState::setUpClaude()
{
    return applyClaudeAction(ClaudeSetup::setUp());
}

bool ConnectionsState::removeClaude()
{
    return applyClaudeAction(ClaudeSetup::remove());
}

void ConnectionsState::refreshClaude()
{
    setClaude(ClaudeSetup::status());
}

bool ConnectionsState::wisprInstalled() const
{
    return QFileInfo::exists(Paths::applicationSupport() + QStringLiteral("/Wispr Flow/flow.sqlite"));
}

void ConnectionsState::setClaude(const ClaudeSetup::Status &claude)
{
    if (claude == m_claude)
        return;
    m_claude = claude;
    Q_EMIT claudeChanged();
}

void ConnectionsState::setProblem(const std::optional<QString> &problem)
{
    if (problem == m_problem)
        return;
    m_problem = problem;
    Q_EMIT problemChanged();
}

bool ConnectionsState::isFound(const Provider &provider) const
{
    switch (provider.detection) {
    case Provider::Detection::ClaudeCode:
        return m_claude.kind != ClaudeSetup::Status::Kind::claudeCodeMissing;
    case Provider::Detection::CommandLineTool:
        return hasTool(provider.tool);
    case Provider::Detection::WisprDatabase:
        return wisprInstalled();
    }
    return false;
}

std::optional<ProviderEntry> ConnectionsState::provider(const QString &id) const
{
    const auto found = m_providers.constFind(id);
    return found == m_providers.constEnd() ? std::nullopt : std::optional<ProviderEntry>(*found);
}

ConnectionsState::ProbeResult ConnectionsState::parseProbe(const QString &output)
{
    ToolPaths entries;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (const auto pair = splitProbeLine(line))
            entries.insert(pair->first, pair->second);
    }
    ProbeResult result;
    // The login is shown in the window as the tool printed it: control characters, escape
    // sequences and direction overrides are dropped, and no more than a login's length is kept.
    if (entries.contains(ghLoginKey)) {
        const QString login = OneLine::of(entries.take(ghLoginKey), maxLoginLength);
        if (!login.isEmpty())
            result.ghLogin = login;
    }
    result.tools = entries;
    return result;
}

std::optional<ConnectionsState::Providers> ConnectionsState::readProviders(const QString &dataFile)
{
    const SmallFileReader::Result file = SmallFileReader::read(dataFile, maxDataBytes);
    if (!file.ok())
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.bytes);
    const QJsonValue ai = document.object().value(QStringLiteral("ai"));
    const QJsonValue entries = ai.toObject().value(QStringLiteral("providers"));
    if (!document.isObject() || !ai.isObject() || !entries.isArray())
        return std::nullopt;

    Providers providers;
    for (const QJsonValue &element : entries.toArray()) {
        const QJsonObject entry = element.toObject();
        const auto id = stringMember(entry, QStringLiteral("id"));
        const auto status = stringMember(entry, QStringLiteral("status"));
        if (!id || !status)
            continue;
        providers.insert(*id, ProviderEntry{*status, stringMember(entry, QStringLiteral("reason")),
                                            stringMember(entry, QStringLiteral("plan"))});
    }
    return providers;
}

void ConnectionsState::startProbe()
{
    // The context object stands for the state: when the window and its state are gone by the
    // time the probe ends, the result is dropped.
    QCoro::connect(Shell::run(probeScript, m_probeTimeout), this, [this](const Shell::Result &result) {
        // A shell that could not be started reports nothing about the tools: keep what was known.
        if (result.status != -1)
            applyProbe(parseProbe(result.output));
        // The environment the probe ran in may name another Claude Code folder.
        refreshClaude();
        finishProbe();
    });
}

void ConnectionsState::applyProbe(const ProbeResult &result)
{
    if (result.tools != m_tools) {
        m_tools = result.tools;
        Q_EMIT toolsChanged();
    }
    if (result.ghLogin != m_ghLogin) {
        m_ghLogin = result.ghLogin;
        Q_EMIT ghLoginChanged();
    }
}

void ConnectionsState::finishProbe()
{
    setIsChecking(false);
}

void ConnectionsState::setIsChecking(bool checking)
{
    if (checking == m_isChecking)
        return;
    m_isChecking = checking;
    Q_EMIT isCheckingChanged();
}

bool ConnectionsState::applyClaudeAction(const std::optional<ClaudeSetup::Problem> &problem)
{
    setProblem(problem ? std::optional<QString>(problem->message) : std::nullopt);
    refreshClaude();
    return !problem;
}
