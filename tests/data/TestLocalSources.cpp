// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "TestSupport.h"
#include "data/JsonFields.h"
#include "data/LocalSources.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTest>
#include <ctime>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

// 09:15:42 UTC is 22:15:42 on 1 March in Auckland (the tests run in that zone).
const QDateTime now = QDateTime::fromString(QStringLiteral("2026-03-01T09:15:42.120Z"), Qt::ISODateWithMs);
// 12:30 UTC on 1 March is already 01:30 on 2 March in Auckland.
const QDateTime lateNow = QDateTime::fromString(QStringLiteral("2026-03-01T12:30:00Z"), Qt::ISODate);
constexpr qint64 future = 1772360000; // after `now`
constexpr qint64 past = 1772350000;   // before `now`
constexpr qint64 later = 1772400000;  // after `lateNow`

QJsonValue json(const QByteArray &text)
{
    return JsonFields::parse(text).value_or(QJsonValue(QJsonValue::Undefined));
}

QJsonObject window(const QString &label, double used, std::optional<double> resets)
{
    return QJsonObject{{"label", label},
                       {"usedPercent", used},
                       {"resetsAt", resets ? QJsonValue(*resets) : QJsonValue(QJsonValue::Null)}};
}

// The window with its length where reported (0: none) and its limit where not the default.
QJsonObject timed(QJsonObject window, qint64 minutes, const QString &limit = QString())
{
    if (minutes > 0)
        window.insert("minutes", minutes);
    if (!limit.isEmpty())
        window.insert("limit", limit);
    return window;
}

QHash<int, QJsonObject> replies(const QByteArray &byId)
{
    QHash<int, QJsonObject> result;
    const QJsonObject object = json(byId).toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        result.insert(it.key().toInt(), it.value().toObject());
    return result;
}

} // namespace

class TestLocalSources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes login profiles");
        QDir().mkpath(FakeTools::binDir());
        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    }

    void unixSeconds_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<double>("seconds"); // -1: none

        QTest::newRow("integer milliseconds") << QByteArray("1767225600000") << 1767225600.0;
        QTest::newRow("integer seconds") << QByteArray("1767225600") << 1767225600.0;
        QTest::newRow("fractional milliseconds") << QByteArray("1767225600500.0") << 1767225600.5;
        QTest::newRow("fractional seconds") << QByteArray("1767225600.25") << 1767225600.25;
        QTest::newRow("the threshold itself is seconds") << QByteArray("1000000000000") << 1e12;
        QTest::newRow("internet date-time") << QByteArray("\"2026-01-01T00:00:00Z\"") << 1767225600.0;
        QTest::newRow("with an offset") << QByteArray("\"2026-01-01T01:00:00+01:00\"") << 1767225600.0;
        QTest::newRow("fraction not accepted") << QByteArray("\"2026-01-01T00:00:00.5Z\"") << -1.0;
        QTest::newRow("date alone") << QByteArray("\"2026-01-01\"") << -1.0;
        QTest::newRow("boolean") << QByteArray("true") << -1.0;
        QTest::newRow("null") << QByteArray("null") << -1.0;
    }

    void unixSeconds()
    {
        QFETCH(QByteArray, value);
        QFETCH(double, seconds);
        const std::optional<double> read = LocalSources::unixSeconds(json(value));
        if (seconds < 0)
            QVERIFY(!read);
        else
            QCOMPARE(read.value_or(-1), seconds);
    }

    void usageWindowRollsOver()
    {
        QCOMPARE(LocalSources::usageWindow("5-hour", 80, past, now), window("5-hour", 0, std::nullopt));
        QCOMPARE(LocalSources::usageWindow("5-hour", 80, future, now), window("5-hour", 80, future));
        QCOMPARE(LocalSources::usageWindow("5-hour", 101.5, std::nullopt, now), window("5-hour", 101.5, std::nullopt));
        // A reset at exactly `now` has not passed yet.
        const double atNow = now.toMSecsSinceEpoch() / 1000.0;
        QCOMPARE(LocalSources::usageWindow("x", 3, atNow, now), window("x", 3, atNow));
    }

    void claudeReport_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QJsonArray>("windows"); // empty: no result
        QTest::addColumn<QString>("savedAt");

        const QString nowText = QStringLiteral("2026-03-01T09:15:42.120Z");
        QTest::newRow("both windows") << QByteArray(R"({"fiveHour":{"used_percentage":12.5,"resets_at":1772360000},
                              "sevenDay":{"used_percentage":40,"resets_at":"2026-03-05T00:00:00Z"},
                              "savedAt":"2026-03-01T09:00:00Z","other":1})")
                                      << QJsonArray{timed(window("5-hour", 12.5, future), 300),
                                                    timed(window("This week", 40, 1772668800), 10080)}
                                      << "2026-03-01T09:00:00Z";
        QTest::newRow("five hours reset in the past")
            << QByteArray(R"({"fiveHour":{"used_percentage":90,"resets_at":1772350000}})")
            << QJsonArray{timed(window("5-hour", 0, std::nullopt), 300)} << nowText;
        QTest::newRow("milliseconds read as seconds")
            << QByteArray(R"({"sevenDay":{"used_percentage":7,"resets_at":1772360000000}})")
            << QJsonArray{timed(window("This week", 7, future), 10080)} << nowText;
        QTest::newRow("no reset time") << QByteArray(R"({"fiveHour":{"used_percentage":7}, "savedAt": 5})")
                                       << QJsonArray{timed(window("5-hour", 7, std::nullopt), 300)} << nowText;
        QTest::newRow("mistyped window skipped")
            << QByteArray(R"({"fiveHour":{"used_percentage":"40"},"sevenDay":{"used_percentage":3}})")
            << QJsonArray{timed(window("This week", 3, std::nullopt), 10080)} << nowText;
        QTest::newRow("window not an object")
            << QByteArray(R"({"fiveHour":[1],"sevenDay":{"used_percentage":true}})") << QJsonArray() << QString();
        QTest::newRow("no windows, only savedAt")
            << QByteArray(R"({"savedAt":"2026-03-01T09:00:00Z"})") << QJsonArray() << QString();
        QTest::newRow("not JSON") << QByteArray("{\"fiveHour\":") << QJsonArray() << QString();
        QTest::newRow("a list") << QByteArray("[{\"fiveHour\":{\"used_percentage\":1}}]") << QJsonArray() << QString();
        QTest::newRow("empty file") << QByteArray() << QJsonArray() << QString();
    }

    void claudeReport()
    {
        QFETCH(QByteArray, report);
        QFETCH(QJsonArray, windows);
        QFETCH(QString, savedAt);

        // Through the report file, as the status line leaves it.
        QVERIFY(TestSupport::writeFile(LocalSources::claudeReportPath(), report));
        QVERIFY(LocalSources::claudeReportPath().startsWith(Paths::applicationSupport() + "/Tessarine/"));
        const std::optional<LocalSources::Claude> claude = LocalSources::claude(now);
        QCOMPARE(claude.has_value(), !windows.isEmpty());
        if (claude) {
            QCOMPARE(claude->windows, windows);
            QCOMPARE(claude->savedAt, savedAt);
        }
    }

    void claudeWithoutReport()
    {
        QFile::remove(LocalSources::claudeReportPath());
        QVERIFY(!LocalSources::claude(now));
    }

    // The report is written by a script; what stands at its name need not be a file at all.
    void claudeReportThatIsNoFile()
    {
        const QString report = LocalSources::claudeReportPath();
        QDir().mkpath(QFileInfo(report).path());
        QFile::remove(report);
        QVERIFY(::mkfifo(QFile::encodeName(report).constData(), 0600) == 0);
        QVERIFY(!LocalSources::claude(now)); // returns at once rather than waiting for a writer
        QFile::remove(report);

        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), report));
        QVERIFY(!LocalSources::claude(now)); // rather than reading without end
        QFile::remove(report);

        TestSupport::writeFile(report, R"({"fiveHour":{"used_percentage":5},"pad":")" +
                                           QByteArray(2 * 1024 * 1024, 'x') + R"("})");
        QVERIFY(!LocalSources::claude(now));
        QFile::remove(report);
    }

    void codexReplies_data()
    {
        QTest::addColumn<QByteArray>("byId");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QJsonArray>("windows");
        QTest::addColumn<qint64>("tokens30");
        QTest::addColumn<qint64>("streak");
        QTest::addColumn<QString>("plan"); // empty: none

        const QByteArray limits = R"({"rateLimits":{
            "primary":{"usedPercent":42.5,"windowDurationMins":300,"resetsAt":1772400000},
            "secondary":{"usedPercent":10,"windowDurationMins":10080,"resetsAt":1772350000},
            "planType":"plus","credits":null}})";
        // With `lateNow` (2 March locally) the cut-off is 31 January, not 30 January as in UTC.
        const QByteArray usage = R"({"dailyUsageBuckets":[
            {"startDate":"2026-01-31","tokens":100},
            {"startDate":"2026-01-30","tokens":1000},
            {"startDate":"2026-03-02","tokens":5},
            {"startDate":"2026-02-15T00:00:00Z","tokens":20},
            {"tokens":7},
            {"startDate":"2026-02-20","tokens":"9"},
            {"startDate":"2026-02-21","tokens":2.5},
            "not a bucket"],
            "summary":{"currentStreakDays":6}})";
        const QJsonArray bothWindows{timed(window("5-hour", 42.5, later), 300),
                                     timed(window("This week", 0, std::nullopt), 10080)};

        QTest::newRow("both replies") << "{\"2\":{\"id\":2,\"result\":" + limits +
                                             "},\"3\":{\"id\":3,\"result\":" + usage + "}}"
                                      << true << bothWindows << qint64(125) << qint64(6) << "Plus";
        QTest::newRow("only request 2 answered") << "{\"2\":{\"id\":2,\"result\":" + limits + "}}" << true
                                                 << bothWindows << qint64(0) << qint64(0) << "Plus";
        QTest::newRow("only request 3 answered") << "{\"3\":{\"id\":3,\"result\":" + usage + "}}" << true
                                                 << QJsonArray() << qint64(125) << qint64(6) << QString();
        QTest::newRow("mistyped window fields")
            << QByteArray(R"({"2":{"result":{"rateLimits":{"primary":{"usedPercent":"9"},"secondary":[1],
                                                            "planType":5}}}})")
            << true << QJsonArray{window("Codex", 0, std::nullopt)} << qint64(0) << qint64(0) << QString();
        QTest::newRow("results not objects")
            << QByteArray(R"({"2":{"result":{"rateLimits":[]}},"3":{"result":"usage"}})") << false << QJsonArray()
            << qint64(0) << qint64(0) << QString();
        // Error replies and no replies at all: TestCodexAppServer (the real tool's) and
        // codexThatNeverAnswers.
    }

    void codexReplies()
    {
        QFETCH(QByteArray, byId);
        QFETCH(bool, found);
        QFETCH(QJsonArray, windows);
        QFETCH(qint64, tokens30);
        QFETCH(qint64, streak);
        QFETCH(QString, plan);

        const std::optional<LocalSources::Codex> codex = LocalSources::codexFromReplies(replies(byId), lateNow);
        QCOMPARE(codex.has_value(), found);
        if (!codex)
            return;
        QCOMPARE(codex->windows, windows);
        QCOMPARE(codex->tokens30, tokens30);
        QCOMPARE(codex->streak, streak);
        QCOMPARE(codex->plan.value_or(QString()), plan);
        QCOMPARE(codex->plan.has_value(), !plan.isEmpty());
    }

    // London moves to summer time on 29 March 2026: at 00:30 on 20 April, exactly 30 × 24 hours
    // back is 23:30 on 20 March, so that day's bucket counts.
    void codexTokensInTheHourAfterLondonMidnight()
    {
        const QByteArray usage = R"({"3":{"id":3,"result":{"dailyUsageBuckets":[
            {"startDate":"2026-04-20","tokens":1},
            {"startDate":"2026-03-20","tokens":1000},
            {"startDate":"2026-03-19","tokens":50000}]}}})";
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/London");
        tzset();
        const QDateTime now(QDate(2026, 4, 20), QTime(0, 30));
        const std::optional<LocalSources::Codex> codex = LocalSources::codexFromReplies(replies(usage), now);
        const qint64 offset = now.offsetFromUtc();
        qputenv("TZ", zone);
        tzset();

        QCOMPARE(offset, 3600);
        QVERIFY(codex);
        QCOMPARE(codex->tokens30, 1001);
    }

    void codexWindowLabels_data()
    {
        QTest::addColumn<QByteArray>("minutes");
        QTest::addColumn<QString>("label");
        QTest::newRow("300") << QByteArray("300") << "5-hour";
        QTest::newRow("10080") << QByteArray("10080") << "This week";
        QTest::newRow("1440") << QByteArray("1440") << "24-hour";
        QTest::newRow("90") << QByteArray("90") << "1-hour";
        QTest::newRow("60") << QByteArray("60") << "1-hour";
        QTest::newRow("59") << QByteArray("59") << "59-minute";
        QTest::newRow("missing") << QByteArray("null") << "Codex";
        QTest::newRow("not whole") << QByteArray("300.5") << "Codex";
    }

    void codexWindowLabels()
    {
        QFETCH(QByteArray, minutes);
        QFETCH(QString, label);
        const QByteArray byId =
            R"({"2":{"result":{"rateLimits":{"primary":{"usedPercent":1,"windowDurationMins":)" + minutes + "}}}}}";
        const std::optional<LocalSources::Codex> codex = LocalSources::codexFromReplies(replies(byId), now);
        QVERIFY(codex);
        QCOMPARE(codex->windows.first().toObject().value("label").toString(), label);
    }

    // Limits the server lists by id, beside the default one (codexThroughTheAppServer): named by
    // the limit, its windows of no stated length too, and credits carried to a used-up window.
    void codexEveryLimit_data()
    {
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<QJsonArray>("windows");

        QTest::newRow("limit without a name")
            << QByteArray(R"({"rateLimits":{},"rateLimitsByLimitId":{"gpt_5_mini":{"primary":{"usedPercent":8,
                   "windowDurationMins":300}}}})")
            << QJsonArray{timed(window("Gpt 5 Mini \u00B7 5-hour", 8, {}), 300, "gpt_5_mini")};
        QTest::newRow("windows of no stated length")
            << QByteArray(R"({"rateLimits":{},"rateLimitsByLimitId":{"codex_x":{"limitName":"Spark",
                   "primary":{"usedPercent":30},"secondary":{"usedPercent":40,"windowDurationMins":null}}}})")
            << QJsonArray{timed(window("Spark", 30, {}), 0, "codex_x"),
                          timed(window("Spark \u00B7 second window", 40, {}), 0, "codex_x")};
        QJsonObject usedUp = timed(window("5-hour", 100, future), 300);
        usedUp.insert("credits", QJsonObject{{"unlimited", false}, {"balance", "125.50"}});
        QTest::newRow("credits left")
            << QByteArray(
                   R"({"rateLimits":{"primary":{"usedPercent":100,"windowDurationMins":300,"resetsAt":1772360000},
                   "credits":{"hasCredits":true,"unlimited":false,"balance":"125.50"}}})")
            << QJsonArray{usedUp};
        usedUp.insert("credits", QJsonObject{{"unlimited", true}, {"balance", QJsonValue::Null}});
        QTest::newRow("unlimited credits")
            << QByteArray(
                   R"({"rateLimits":{"primary":{"usedPercent":100,"windowDurationMins":300,"resetsAt":1772360000},
                   "credits":{"hasCredits":false,"unlimited":true,"balance":"0"}}})")
            << QJsonArray{usedUp};
    }

    void codexEveryLimit()
    {
        QFETCH(QByteArray, result);
        QFETCH(QJsonArray, windows);
        QHash<int, QJsonObject> byId;
        byId.insert(2, QJsonObject{{"id", 2}, {"result", json(result)}});
        const std::optional<LocalSources::Codex> codex = LocalSources::codexFromReplies(byId, now);
        QVERIFY(codex);
        QCOMPARE(codex->windows, windows);
    }

    void codexPlanNames_data()
    {
        QTest::addColumn<QString>("planType");
        QTest::addColumn<QString>("name"); // empty: no plan shown
        const std::pair<const char *, const char *> rows[] = {
            {"prolite", "Pro Lite"}, {"self_serve_business_usage_based", "Business"},
            {"ent26", "Enterprise"}, {"edu_plus", "Edu Plus"},
            {"unknown", ""},
        };
        for (const auto &[planType, name] : rows)
            QTest::newRow(planType) << QString::fromLatin1(planType) << QString::fromLatin1(name);
    }

    void codexPlanNames()
    {
        QFETCH(QString, planType);
        QFETCH(QString, name);
        const std::optional<QString> named = LocalSources::codexPlanName(planType);
        QCOMPARE(named.value_or(QString()), name);
        QCOMPARE(named.has_value(), !name.isEmpty());
    }

    void grokOutput_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QJsonArray>("windows"); // empty: the reason applies
        QTest::addColumn<QString>("reason");

        const QString noWindows = QStringLiteral("Grok reported no usage windows");
        const QString notSignedIn = QStringLiteral("Grok is not signed in or not installed");
        QTest::newRow("named windows in a list") << 0 << R"({"limits":[{"name":"Daily","used_percent":40}]})"
                                                 << "" << QJsonArray{window("Daily", 40, {})} << "";
        QTest::newRow("window named by its member") << 0 << R"({"weekly":{"usedPercent":10}})"
                                                    << "" << QJsonArray{window("weekly", 10, {})} << "";
        QTest::newRow("window at the top") << 0 << R"({"usedPercent":5})"
                                           << "" << QJsonArray{window("Plan", 5, {})} << "";
        QTest::newRow("list at the top") << 0 << R"([{"percent_used":1}])"
                                         << "" << QJsonArray{window("Plan", 1, {})} << "";
        QTest::newRow("label that is not a string") << 0 << R"({"window":{"label":3,"name":"ignored","percentUsed":7}})"
                                                    << "" << QJsonArray{window("window", 7, {})} << "";
        QTest::newRow("reset times") << 0 << R"({"a":{"used_percentage":50,"resets_at":1772360000},
                                            "b":{"usedPercent":60,"resetAt":"2026-03-01T00:00:00Z"}})"
                                     << "" << QJsonArray{window("a", 50, future), window("b", 0, {})} << "";
        QTest::newRow("window inside a window") << 0 << R"({"usedPercent":5,"sub":{"usedPercent":6}})"
                                                << "" << QJsonArray{window("Plan", 5, {}), window("sub", 6, {})} << "";
        QTest::newRow("first percent key decides") << 0 << R"({"usedPercent":null,"used_percent":5})"
                                                   << "" << QJsonArray() << noWindows;
        QTest::newRow("percent as text") << 0 << R"({"usedPercent":"5"})"
                                         << "" << QJsonArray() << noWindows;
        QTest::newRow("empty list") << 0 << "[]"
                                    << "" << QJsonArray() << noWindows;
        QTest::newRow("background service missing") << 1 << ""
                                                    << "error: can't show usage without the daemon" << QJsonArray()
                                                    << "Plan usage needs Grok\u2019s background service";
        const QString noUsageCommand = QStringLiteral("This Grok CLI has no usage report");
        QTest::newRow("usage not a command") << 1 << ""
                                             << "error: unknown command 'usage'" << QJsonArray() << noUsageCommand;
        QTest::newRow("json not an option") << 1 << ""
                                            << "error: unknown option '--json'" << QJsonArray() << noUsageCommand;
        QTest::newRow("subcommand unrecognized")
            << 2 << ""
            << "error: unrecognized subcommand 'usage'" << QJsonArray() << noUsageCommand;
        QTest::newRow("not installed") << 127 << ""
                                       << "sh: grok: not found" << QJsonArray() << notSignedIn;
        QTest::newRow("not JSON") << 0 << "You are not signed in"
                                  << "" << QJsonArray() << notSignedIn;
        QTest::newRow("nothing printed") << 0 << ""
                                         << "" << QJsonArray() << notSignedIn;
        QTest::newRow("JSON but failed") << 2 << R"({"usedPercent":5})"
                                         << "" << QJsonArray() << notSignedIn;
    }

    void grokOutput()
    {
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QFETCH(QJsonArray, windows);
        QFETCH(QString, reason);

        const LocalSources::Grok grok = LocalSources::grokFromResult(Shell::Result{status, output, error}, now);
        QCOMPARE(grok.windows.value_or(QJsonArray()), windows);
        QCOMPARE(grok.windows.has_value(), !windows.isEmpty());
        QCOMPARE(grok.reason.value_or(QString()), reason);
    }

    // The stand-in prints what the real server says when signed in (TestCodexAppServer checks it
    // against the real protocol): a notification first, then the replies, one limit at 97 %.
    void codexThroughTheAppServer()
    {
        const QString home = QDir::homePath();
        FakeTools::install("codex",
                           "echo \"$*\" > \"$HOME/codex-args\"\n"
                           "IFS= read -r a; IFS= read -r b; IFS= read -r c; IFS= read -r d\n"
                           "printf '%s\\n%s\\n%s\\n%s\\n' \"$a\" \"$b\" \"$c\" \"$d\" > \"$HOME/codex-input\"\n"
                           "cat '" TESSARINE_TEST_FIXTURES "/data/codex-app-server/signed-in.jsonl'\n"
                           "while read -r line; do :; done\n");
        const std::optional<LocalSources::Codex> codex = QCoro::waitFor(LocalSources::codex(now, 20s));
        QVERIFY(codex);
        QCOMPARE(
            codex->windows,
            (QJsonArray{timed(window("5-hour", 42, future), 300), timed(window("This week", 61, 1772668800), 10080),
                        timed(window("Spark \u00B7 5-hour", 97, future), 300, "codex_bengalfox"),
                        timed(window("Spark \u00B7 This week", 20, 1772668800), 10080, "codex_bengalfox")}));
        QCOMPARE(codex->tokens30, 1234);
        QCOMPARE(codex->streak, 3);
        QCOMPARE(codex->plan.value_or(QString()), QStringLiteral("Pro"));
        QCOMPARE(TestSupport::readFile(home + "/codex-args"), QByteArray("app-server\n"));
        // Each of these lines is a message of the real protocol (TestCodexAppServer).
        QCOMPARE(QString::fromUtf8(TestSupport::readFile(home + "/codex-input")), LocalSources::codexRequests);
    }

    void codexThatAnswersOnlyRateLimits()
    {
        FakeTools::install("codex", "read -r a\n"
                                    "echo '{\"id\":2,\"result\":{\"rateLimits\":{\"primary\":{\"usedPercent\":5,"
                                    "\"windowDurationMins\":1440}}}}'\n"
                                    "while read -r line; do :; done\n");
        const std::optional<LocalSources::Codex> codex = QCoro::waitFor(LocalSources::codex(now, 500ms));
        QVERIFY(codex);
        QCOMPARE(codex->windows, QJsonArray{timed(window("24-hour", 5, {}), 1440)});
        QCOMPARE(codex->tokens30, 0);
        QCOMPARE(codex->streak, 0);
    }

    void codexThatNeverAnswers()
    {
        FakeTools::install("codex", "while read -r line; do :; done\n");
        QVERIFY(!QCoro::waitFor(LocalSources::codex(now, 300ms)));
    }

    void grokWindowsAreCapped()
    {
        QJsonArray limits;
        for (int index = 0; index < 1000; ++index)
            limits.append(QJsonObject{{"name", QStringLiteral("w%1").arg(index)}, {"used_percent", index % 100}});
        const QString output = QString::fromUtf8(QJsonDocument(QJsonObject{{"limits", limits}}).toJson());
        const LocalSources::Grok grok = LocalSources::grokFromResult(Shell::Result{0, output, {}}, now);
        QVERIFY(grok.windows);
        QCOMPARE(grok.windows->size(), LocalSources::maxWindows);
        QCOMPARE(grok.windows->first().toObject().value("label").toString(), QStringLiteral("w0"));
    }

    void grokThroughItsTool()
    {
        FakeTools::install("grok", "echo \"$*\" > \"$HOME/grok-args\"\n"
                                   "echo '{\"limits\":[{\"name\":\"Daily\",\"used_percent\":40}]}'\n");
        const LocalSources::Grok grok = QCoro::waitFor(LocalSources::grok(now, 20s));
        QCOMPARE(grok.windows.value_or(QJsonArray()), QJsonArray{window("Daily", 40, {})});
        QCOMPARE(TestSupport::readFile(QDir::homePath() + "/grok-args"), QByteArray("usage --json\n"));
    }
};

int main(int argc, char *argv[])
{
    // Day keys are local: a zone far from UTC makes the difference show.
    qputenv("TZ", "Pacific/Auckland");
    tzset();
    QCoreApplication app(argc, argv);
    TestLocalSources test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestLocalSources.moc"
