// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClaudeSetup.h"
#include "ProviderEntry.h"
#include "kit/Provider.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

// Finds out which of the tools Tessarine reads are on this computer and what the last refresh
// learned about each AI plan, for the connections window and the welcome flow. Each window owns
// one and asks it to check when it is shown; nothing is stored between checks.
//
// The tools are found by a probe run in the user's environment as their terminal has it
// (UserEnvironment, read again at every check), the same environment the refresh runs the tools
// in, so the window and the card agree on what is there. The probe's result arrives later on the GUI thread; one probe
// runs at a time.
class ConnectionsState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ToolPaths tools READ tools NOTIFY toolsChanged)
    Q_PROPERTY(std::optional<QString> ghLogin READ ghLogin NOTIFY ghLoginChanged)
    Q_PROPERTY(Providers providers READ providers NOTIFY providersChanged)
    Q_PROPERTY(ClaudeSetup::Status claude READ claude WRITE setClaude NOTIFY claudeChanged)
    Q_PROPERTY(bool isChecking READ isChecking NOTIFY isCheckingChanged)
    Q_PROPERTY(std::optional<QString> problem READ problem WRITE setProblem NOTIFY problemChanged)

public:
    // Tool name ("gh", "codex", "grok", "gemini", "claude") to the path the shell found it at.
    using ToolPaths = QMap<QString, QString>;
    // Provider id ("claude", "codex", "grok", "gemini", "wispr") to its entry in the last refresh.
    using Providers = QMap<QString, ProviderEntry>;

    struct ProbeResult
    {
        ToolPaths tools;
        std::optional<QString> ghLogin;

        bool operator==(const ProbeResult &other) const = default;
    };

    // The probe, run by /bin/sh in the user's environment: one "name=path" line per tool (the path empty when the
    // tool is missing), then "ghlogin=<login>" when the GitHub CLI is there.
    static const QString probeScript;
    // A login profile or a GitHub CLI that hangs must not keep "Check Again" disabled for ever:
    // the probe is stopped after this long and what it printed until then counts.
    static constexpr std::chrono::milliseconds defaultProbeTimeout{20000};

    explicit ConnectionsState(QObject *parent = nullptr);

    // Re-reads the Claude Code set-up and the providers of "data.json" in screensDir, then starts
    // the probe unless one is running, with the user's environment read afresh. Returns at once.
    void check(const QString &screensDir);

    // The "Set Up" and "Remove" buttons of the connections window: a problem becomes the
    // window's problem line, success clears it, and either way the Claude state is read again.
    // Returns whether the action succeeded; the caller then asks for a refresh.
    bool setUpClaude();
    bool removeClaude();
    // Reads the Claude Code set-up state again.
    void refreshClaude();

    ToolPaths tools() const { return m_tools; }
    std::optional<QString> ghLogin() const { return m_ghLogin; }
    Providers providers() const { return m_providers; }
    ClaudeSetup::Status claude() const { return m_claude; }
    bool isChecking() const { return m_isChecking; }
    std::optional<QString> problem() const { return m_problem; }
    // Whether Wispr Flow's dictation database is on this computer; looked up on every call.
    bool wisprInstalled() const;

    void setClaude(const ClaudeSetup::Status &claude);
    void setProblem(const std::optional<QString> &problem);
    // A shorter time-out for tests that play a probe that never ends.
    void setProbeTimeout(std::chrono::milliseconds timeout) { m_probeTimeout = timeout; }

    bool hasTool(const QString &name) const { return m_tools.contains(name); }
    // Whether the provider is on this computer, found the way the providers table says.
    bool isFound(const Provider &provider) const;
    std::optional<ProviderEntry> provider(const QString &id) const;

    // Reads the probe's output: "name=value" lines, split at the first "=", where an empty value
    // means the tool is absent; "ghlogin" gives the GitHub CLI's login.
    static ProbeResult parseProbe(const QString &output);
    // The providers of a data document; none when the file is missing, unreadable or of another
    // shape, so that the caller keeps what it had.
    static std::optional<Providers> readProviders(const QString &dataFile);

Q_SIGNALS:
    void toolsChanged();
    void ghLoginChanged();
    void providersChanged();
    void claudeChanged();
    void isCheckingChanged();
    void problemChanged();

private:
    void startProbe();
    void applyProbe(const ProbeResult &result);
    void finishProbe();
    void setIsChecking(bool checking);
    bool applyClaudeAction(const std::optional<ClaudeSetup::Problem> &problem);

    ToolPaths m_tools;
    std::optional<QString> m_ghLogin;
    Providers m_providers;
    ClaudeSetup::Status m_claude = ClaudeSetup::Status::notSetUp();
    bool m_isChecking = false;
    std::optional<QString> m_problem;
    std::chrono::milliseconds m_probeTimeout = defaultProbeTimeout;
};
