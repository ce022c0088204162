// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Shell.h"
#include "WisprSource.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <chrono>
#include <optional>

// Readers of the AI plan usage the tools on this computer report: Claude Code's status-line
// report file, the Codex app server and the Grok tool (Wispr Flow's dictation statistics are
// in WisprSource). No reader throws; a missing, silent or confused tool gives no result.
class LocalSources
{
public:
    static constexpr std::chrono::milliseconds toolTimeout{20000};
    // The windows one provider shows; tools report two or three. More would only swell the data
    // document and the page.
    static constexpr qsizetype maxWindows = 8;

    struct Claude
    {
        QJsonArray windows;
        QString savedAt;
    };
    struct Codex
    {
        std::optional<QString> plan;
        QJsonArray windows;
        qint64 tokens30 = 0;
        qint64 streak = 0;
    };
    struct Grok
    {
        std::optional<QJsonArray> windows;
        std::optional<QString> reason;
    };

    // The JSON-RPC lines sent to "codex app-server", each ending in a newline.
    static const QString codexRequests;

    // <Application Support>/Tessarine/claude.json
    static QString claudeReportPath();
    // <Application Support>/Tessarine/claude-no-plan-usage: left by the status-line script when a
    // Claude Code session that had talked to its service carried no plan usage (an API-key
    // sign-in; plan usage comes only with a Claude subscription).
    static QString claudeWithoutPlanUsagePath();

    static std::optional<Claude> claude(const QDateTime &now);
    static QCoro::Task<std::optional<Codex>> codex(QDateTime now, std::chrono::milliseconds timeout = toolTimeout);
    // The same with the reason when there is no reading, in the words shown on the widget: "Sign
    // in to Codex on this computer" only when Codex said it is signed out.
    struct CodexReading
    {
        std::optional<Codex> codex;
        QString reason;
    };
    static QCoro::Task<CodexReading> codexReading(QDateTime now, std::chrono::milliseconds timeout = toolTimeout);
    static QString codexReason(const QHash<int, QJsonObject> &replies);
    // The plan as people name it ("Plus", "Pro Lite", "Business"); none for "unknown" or nothing.
    static std::optional<QString> codexPlanName(const QJsonValue &planType);
    static QCoro::Task<Grok> grok(QDateTime now, std::chrono::milliseconds timeout = toolTimeout);
    // Wispr Flow's two dictation statistics (see WisprSource).
    static QCoro::Task<WisprSource::Reading> wispr(QDateTime now);

    // The readings of the tools' replies, apart from running the tools.
    static std::optional<Claude> claudeFromReport(const QByteArray &report, const QDateTime &now);
    static std::optional<Codex> codexFromReplies(const QHash<int, QJsonObject> &replies, const QDateTime &now);
    static Grok grokFromResult(const Shell::Result &result, const QDateTime &now);

    // The window object {"label", "usedPercent", "resetsAt"}; a window whose reset time lies in
    // the past has rolled over and is reported unused. Callers add "minutes" (the window's length,
    // where known), "limit" (the Codex limit it belongs to, other than the default one) and
    // "credits" (what Codex spends once the window is used up).
    static QJsonObject usageWindow(const QString &label, double usedPercent, std::optional<double> resetsAt,
                                   const QDateTime &now);

    // Seconds since 1970 from a number of seconds or milliseconds, or an internet date-time.
    static std::optional<double> unixSeconds(const QJsonValue &value);

private:
    struct CodexLimit
    {
        QString id;
        QJsonObject snapshot;
        bool isDefault = false;
    };
    static QList<CodexLimit> codexLimits(const QJsonObject &result);
    static void appendCodexWindows(const CodexLimit &limit, const QDateTime &now, QJsonArray &windows);
    static QString codexLimitName(const CodexLimit &limit);
    static QString codexWindowLabel(qint64 minutes);
    static qint64 codexTokens30(const QJsonObject &usage, const QDateTime &now);
    static void walkGrok(const QJsonValue &value, const std::optional<QString> &inherited, const QDateTime &now,
                         QJsonArray &windows);
};
