// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalSources.h"

#include "DateText.h"
#include "GitHubSource.h"
#include "JsonFields.h"
#include "WisprSource.h"
#include "platform/Paths.h"
#include "platform/SmallFileReader.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringList>

using namespace JsonFields;

namespace {

constexpr qint64 secondsPerDay = 86400;
constexpr double millisecondsThreshold = 1e12;
// The report is a few hundred bytes.
constexpr qint64 maxReportBytes = 1024 * 1024;
// The shell's status for a command it cannot find.
constexpr int commandNotFound = 127;

// The first of `keys` present in `object` (whatever its value), if any.
std::optional<QJsonValue> firstPresent(const QJsonObject &object, const QStringList &keys)
{
    for (const QString &key : keys) {
        const auto found = object.constFind(key);
        if (found != object.constEnd())
            return found.value();
    }
    return std::nullopt;
}

// "edu_plus" → "Edu Plus", "gpt-5.3-codex-spark" → "Gpt 5.3 Codex Spark".
QString titleCase(const QString &words)
{
    QStringList parts = QString(words)
                            .replace(QLatin1Char('_'), QLatin1Char(' '))
                            .replace(QLatin1Char('-'), QLatin1Char(' '))
                            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &part : parts)
        part = part.left(1).toUpper() + part.mid(1).toLower();
    return parts.join(QLatin1Char(' '));
}

} // namespace

const QString LocalSources::codexRequests = QStringLiteral(
    "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\",\"params\":{\"clientInfo\":{\"name\":\"tessarine\","
    "\"title\":\"Tessarine\",\"version\":\"0.1\"}}}\n"
    "{\"jsonrpc\":\"2.0\",\"method\":\"initialized\"}\n"
    "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"account/rateLimits/read\",\"params\":{}}\n"
    "{\"jsonrpc\":\"2.0\",\"id\":3,\"method\":\"account/usage/read\",\"params\":{}}\n");

QString LocalSources::claudeReportPath()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/claude.json");
}

QString LocalSources::claudeWithoutPlanUsagePath()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/claude-no-plan-usage");
}

std::optional<LocalSources::Claude> LocalSources::claude(const QDateTime &now)
{
    // Written by a script, not by Tessarine: a named pipe or a device in its place must neither
    // stall the refresh nor fill memory.
    const SmallFileReader::Result file = SmallFileReader::read(claudeReportPath(), maxReportBytes);
    if (!file.ok())
        return std::nullopt;
    return claudeFromReport(file.bytes, now);
}

std::optional<LocalSources::Claude> LocalSources::claudeFromReport(const QByteArray &report, const QDateTime &now)
{
    const std::optional<QJsonValue> parsed = parse(report);
    if (!parsed || !parsed->isObject())
        return std::nullopt;
    const QJsonObject object = parsed->toObject();

    Claude result;
    struct Known
    {
        const char *key;
        const char *label;
        qint64 minutes;
    };
    const Known windows[] = {{"fiveHour", "5-hour", 300}, {"sevenDay", "This week", 10080}};
    for (const auto &[key, label, minutes] : windows) {
        const QJsonObject window = JsonFields::object(object.value(QLatin1String(key)));
        const std::optional<double> used = number(window.value(QStringLiteral("used_percentage")));
        if (!used)
            continue;
        QJsonObject made =
            usageWindow(QString::fromLatin1(label), *used, unixSeconds(window.value(QStringLiteral("resets_at"))), now);
        made.insert(QStringLiteral("minutes"), minutes);
        result.windows.append(made);
    }
    if (result.windows.isEmpty())
        return std::nullopt;
    result.savedAt = string(object.value(QStringLiteral("savedAt")), DateText::withFraction(now));
    return result;
}

QCoro::Task<std::optional<LocalSources::Codex>> LocalSources::codex(QDateTime now, std::chrono::milliseconds timeout)
{
    QCoro::Task<CodexReading> reading = codexReading(now, timeout);
    const CodexReading read = co_await std::move(reading);
    co_return read.codex;
}

QCoro::Task<LocalSources::CodexReading> LocalSources::codexReading(QDateTime now, std::chrono::milliseconds timeout)
{
    const QSet<int> awaited{2, 3};
    const QHash<int, QJsonObject> replies =
        co_await Shell::converse(QStringLiteral("exec codex app-server"), codexRequests, awaited, timeout);
    CodexReading reading{codexFromReplies(replies, now), QString()};
    if (!reading.codex)
        reading.reason = codexReason(replies);
    co_return reading;
}

QString LocalSources::codexReason(const QHash<int, QJsonObject> &replies)
{
    static const QRegularExpression signedOut(
        QStringLiteral("log(ged)?[ _-]?(in|out)|sign(ed)?[ _-]?(in|out)|auth|unauthori[sz]ed|credential|\\b401\\b"),
        QRegularExpression::CaseInsensitiveOption);
    // Signed in another way (an API key): the server asks for the ChatGPT sign-in the plan
    // belongs to.
    static const QRegularExpression chatGptOnly(QStringLiteral("chatgpt[ _-]?(auth|sign|log)"),
                                                QRegularExpression::CaseInsensitiveOption);
    bool reportedError = false;
    bool signInAsked = false;
    for (const QJsonObject &reply : replies) {
        const QJsonValue error = reply.value(QStringLiteral("error"));
        if (error.isUndefined() || error.isNull())
            continue;
        reportedError = true;
        const QString message = QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("e"), error}}).toJson());
        if (chatGptOnly.match(message).hasMatch())
            return QStringLiteral("Codex reports plan usage only for a ChatGPT sign-in");
        signInAsked = signInAsked || signedOut.match(message).hasMatch();
    }
    if (signInAsked)
        return QStringLiteral("Sign in to Codex on this computer");
    // Nothing that says signed out: a missing, silent, crashed or confused tool is not asked to
    // sign in again.
    return reportedError ? QStringLiteral("Codex reported an error instead of its usage")
                         : QStringLiteral("Codex gave no usage report");
}

std::optional<LocalSources::Codex> LocalSources::codexFromReplies(const QHash<int, QJsonObject> &replies,
                                                                  const QDateTime &now)
{
    const QJsonObject limitsResult = object(replies.value(2).value(QStringLiteral("result")));
    const QJsonValue limitsValue = limitsResult.value(QStringLiteral("rateLimits"));
    const QJsonValue usageValue = replies.value(3).value(QStringLiteral("result"));
    if (!limitsValue.isObject() && !usageValue.isObject())
        return std::nullopt;
    const QJsonObject limits = object(limitsValue);
    const QJsonObject usage = object(usageValue);

    Codex result;
    const QList<CodexLimit> metered = codexLimits(limitsResult);
    for (const CodexLimit &limit : metered)
        appendCodexWindows(limit, now, result.windows);
    result.tokens30 = codexTokens30(usage, now);
    result.streak =
        integer(object(usage.value(QStringLiteral("summary"))).value(QStringLiteral("currentStreakDays"))).value_or(0);
    result.plan = codexPlanName(limits.value(QStringLiteral("planType")));
    for (qsizetype index = 0; !result.plan && index < metered.size(); ++index)
        result.plan = codexPlanName(metered[index].snapshot.value(QStringLiteral("planType")));
    return result;
}

// Every metered limit when the server lists them by id, the default one first; else the single
// bucket older servers report. The single bucket mirrors the default limit, so it is never
// read beside the list.
QList<LocalSources::CodexLimit> LocalSources::codexLimits(const QJsonObject &result)
{
    const QJsonObject single = object(result.value(QStringLiteral("rateLimits")));
    const QString defaultId = string(single.value(QStringLiteral("limitId")), QStringLiteral("codex"));
    const QJsonObject byId = object(result.value(QStringLiteral("rateLimitsByLimitId")));
    QList<CodexLimit> limits;
    for (auto member = byId.constBegin(); member != byId.constEnd(); ++member) {
        if (!member.value().isObject())
            continue;
        const bool isDefault = member.key() == defaultId;
        const CodexLimit limit{member.key(), member.value().toObject(), isDefault};
        if (isDefault)
            limits.prepend(limit);
        else
            limits.append(limit);
    }
    if (limits.isEmpty() && result.value(QStringLiteral("rateLimits")).isObject())
        limits.append(CodexLimit{defaultId, single, true});
    return limits;
}

void LocalSources::appendCodexWindows(const CodexLimit &limit, const QDateTime &now, QJsonArray &windows)
{
    const QJsonObject credits = object(limit.snapshot.value(QStringLiteral("credits")));
    const bool unlimited = credits.value(QStringLiteral("unlimited")).toBool();
    const bool hasCredits = credits.value(QStringLiteral("hasCredits")).toBool();
    const QString name = codexLimitName(limit);
    const char *const keys[] = {"primary", "secondary"};
    for (const char *key : keys) {
        if (windows.size() >= maxWindows)
            return;
        const QJsonValue windowValue = limit.snapshot.value(QLatin1String(key));
        if (!windowValue.isObject())
            continue;
        const QJsonObject window = windowValue.toObject();
        const double used = number(window.value(QStringLiteral("usedPercent"))).value_or(0);
        const qint64 minutes = integer(window.value(QStringLiteral("windowDurationMins"))).value_or(0);
        // A window of no stated length is known only by its limit; a second such window says so.
        QString label = minutes > 0 ? codexWindowLabel(minutes) : name;
        if (minutes <= 0 && key == keys[1])
            label += QStringLiteral(" \u00B7 second window");
        else if (minutes > 0 && !limit.isDefault)
            label = name + QStringLiteral(" \u00B7 ") + label;
        QJsonObject made = usageWindow(label, used, unixSeconds(window.value(QStringLiteral("resetsAt"))), now);
        if (minutes > 0)
            made.insert(QStringLiteral("minutes"), minutes);
        if (!limit.isDefault)
            made.insert(QStringLiteral("limit"), limit.id);
        if (unlimited || hasCredits)
            made.insert(QStringLiteral("credits"),
                        QJsonObject{{QStringLiteral("unlimited"), unlimited},
                                    {QStringLiteral("balance"), unlimited ? QJsonValue(QJsonValue::Null)
                                                                          : credits.value(QStringLiteral("balance"))}});
        windows.append(made);
    }
}

// The limit's own name ("Spark"), else its id in words; the default limit is Codex's own.
QString LocalSources::codexLimitName(const CodexLimit &limit)
{
    const QString named = string(limit.snapshot.value(QStringLiteral("limitName"))).trimmed();
    if (!named.isEmpty())
        return named;
    if (limit.isDefault)
        return QStringLiteral("Codex");
    return titleCase(limit.id);
}

std::optional<QString> LocalSources::codexPlanName(const QJsonValue &planType)
{
    const QString plan = string(planType).trimmed().toLower();
    if (plan.isEmpty() || plan == QStringLiteral("unknown"))
        return std::nullopt;
    static const QHash<QString, QString> named{
        {QStringLiteral("prolite"), QStringLiteral("Pro Lite")},
        {QStringLiteral("promax"), QStringLiteral("Pro Max")},
        {QStringLiteral("self_serve_business_prolite"), QStringLiteral("Business")},
        {QStringLiteral("self_serve_business_usage_based"), QStringLiteral("Business")},
        {QStringLiteral("ent26"), QStringLiteral("Enterprise")},
        {QStringLiteral("enterprise_cbp_automation"), QStringLiteral("Enterprise")},
        {QStringLiteral("enterprise_cbp_usage_based"), QStringLiteral("Enterprise")},
    };
    return named.value(plan, titleCase(plan));
}

QString LocalSources::codexWindowLabel(qint64 minutes)
{
    if (minutes == 300)
        return QStringLiteral("5-hour");
    if (minutes == 10080)
        return QStringLiteral("This week");
    // Less than an hour in hours would read "0-hour".
    if (minutes < 60)
        return QString::number(minutes) + QStringLiteral("-minute");
    return QString::number(minutes / 60) + QStringLiteral("-hour");
}

qint64 LocalSources::codexTokens30(const QJsonObject &usage, const QDateTime &now)
{
    // The local day of the moment exactly 30 × 24 hours back. Within a day after local midnight
    // in the weeks after a daylight-saving change this reaches one calendar day further than
    // counting dates would; that is the window the usage report is defined on.
    const QString cutOff = GitHubSource::dayString(now.addSecs(-30 * secondsPerDay), false);
    qint64 tokens = 0;
    for (const QJsonValue &bucketValue : array(usage.value(QStringLiteral("dailyUsageBuckets")))) {
        const QJsonObject bucket = object(bucketValue);
        if (string(bucket.value(QStringLiteral("startDate"))) >= cutOff)
            tokens += integer(bucket.value(QStringLiteral("tokens"))).value_or(0);
    }
    return tokens;
}

QCoro::Task<LocalSources::Grok> LocalSources::grok(QDateTime now, std::chrono::milliseconds timeout)
{
    const Shell::Result result = co_await Shell::run(QStringLiteral("grok usage --json"), timeout);
    co_return grokFromResult(result, now);
}

LocalSources::Grok LocalSources::grokFromResult(const Shell::Result &result, const QDateTime &now)
{
    const std::optional<QJsonValue> parsed = result.succeeded() ? parse(result.output.toUtf8()) : std::nullopt;
    if (!parsed) {
        if (result.error.contains(QStringLiteral("can't show")))
            return Grok{std::nullopt, QStringLiteral("Plan usage needs Grok\u2019s background service")};
        // A Grok CLI that runs but knows no usage command: it is there and maybe signed in.
        static const QRegularExpression noUsageCommand(
            QStringLiteral("unknown (sub)?command|unrecognized (sub)?command|unrecognized subcommand|"
                           "unknown option|unexpected argument|no such command|invalid command"),
            QRegularExpression::CaseInsensitiveOption);
        if (result.status != commandNotFound && noUsageCommand.match(result.error).hasMatch())
            return Grok{std::nullopt, QStringLiteral("This Grok CLI has no usage report")};
        return Grok{std::nullopt, QStringLiteral("Grok is not signed in or not installed")};
    }
    QJsonArray windows;
    walkGrok(*parsed, std::nullopt, now, windows);
    if (windows.isEmpty())
        return Grok{std::nullopt, QStringLiteral("Grok reported no usage windows")};
    return Grok{windows, std::nullopt};
}

void LocalSources::walkGrok(const QJsonValue &value, const std::optional<QString> &inherited, const QDateTime &now,
                            QJsonArray &windows)
{
    static const QStringList percentKeys{QStringLiteral("usedPercent"), QStringLiteral("used_percent"),
                                         QStringLiteral("used_percentage"), QStringLiteral("percentUsed"),
                                         QStringLiteral("percent_used")};
    static const QStringList labelKeys{QStringLiteral("label"), QStringLiteral("name"), QStringLiteral("window")};
    static const QStringList resetKeys{QStringLiteral("resetsAt"), QStringLiteral("resets_at"),
                                       QStringLiteral("resetAt"), QStringLiteral("reset_at")};
    if (windows.size() >= maxWindows)
        return;
    if (value.isArray()) {
        for (const QJsonValue &element : value.toArray())
            walkGrok(element, inherited, now, windows);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    const std::optional<double> percent = number(firstPresent(object, percentKeys).value_or(QJsonValue()));
    if (percent) {
        const std::optional<QString> named = optionalString(firstPresent(object, labelKeys).value_or(QJsonValue()));
        const QString label = named.value_or(inherited.value_or(QStringLiteral("Plan")));
        const std::optional<double> reset = unixSeconds(firstPresent(object, resetKeys).value_or(QJsonValue()));
        windows.append(usageWindow(label, *percent, reset, now));
    }
    for (auto member = object.constBegin(); member != object.constEnd(); ++member)
        walkGrok(member.value(), member.key(), now, windows);
}

QCoro::Task<WisprSource::Reading> LocalSources::wispr(QDateTime now)
{
    return WisprSource::readInBackground(now, WisprSource::databasePath());
}

QJsonObject LocalSources::usageWindow(const QString &label, double usedPercent, std::optional<double> resetsAt,
                                      const QDateTime &now)
{
    const double nowSeconds = static_cast<double>(now.toMSecsSinceEpoch()) / 1000.0;
    if (resetsAt && *resetsAt < nowSeconds)
        return QJsonObject{{QStringLiteral("label"), label},
                           {QStringLiteral("usedPercent"), 0},
                           {QStringLiteral("resetsAt"), QJsonValue::Null}};
    return QJsonObject{{QStringLiteral("label"), label},
                       {QStringLiteral("usedPercent"), usedPercent},
                       {QStringLiteral("resetsAt"), resetsAt ? QJsonValue(*resetsAt) : QJsonValue(QJsonValue::Null)}};
}

std::optional<double> LocalSources::unixSeconds(const QJsonValue &value)
{
    if (const std::optional<double> seconds = number(value)) {
        // Values this large are milliseconds: seconds would lie some 30 000 years ahead.
        if (*seconds > millisecondsThreshold)
            return *seconds / 1000.0;
        return *seconds;
    }
    if (const std::optional<QString> text = optionalString(value)) {
        if (const std::optional<QDateTime> time = DateText::parseInternetDateTime(*text))
            return static_cast<double>(time->toSecsSinceEpoch());
    }
    return std::nullopt;
}
