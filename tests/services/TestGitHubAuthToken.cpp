// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/GitHubAuthToken.h"

#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

namespace {

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

Q_DECLARE_METATYPE(GitHubAuthToken)

class TestGitHubAuthToken : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expiresAtCountsFrom2001();
    void roundTrip_data();
    void roundTrip();
    void unreadable_data();
    void unreadable();
    void fromReply_data();
    void fromReply();
};

void TestGitHubAuthToken::expiresAtCountsFrom2001()
{
    // A token as an earlier version stored it: seconds since 2001-01-01 00:00:00 UTC.
    const auto token = GitHubAuthToken::fromJson(R"({"access":"gho_a","expiresAt":86400.5})");
    QVERIFY(token);
    QCOMPARE(*token->expiresAt, utc(2001, 1, 2).addMSecs(500));

    GitHubAuthToken written{QStringLiteral("gho_b"), std::nullopt, utc(2024, 1, 1), std::nullopt};
    const QJsonObject json = object(written.toJson());
    QCOMPARE(json.value(QStringLiteral("expiresAt")).toDouble(), 725760000.0);
}

void TestGitHubAuthToken::roundTrip_data()
{
    QTest::addColumn<GitHubAuthToken>("token");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("access only") << GitHubAuthToken{QStringLiteral("gho_a"), {}, {}, {}}
                                 << QStringList{QStringLiteral("access")};
    QTest::newRow("every field") << GitHubAuthToken{QStringLiteral("ghu_a"), QStringLiteral("ghr_b"),
                                                    utc(2025, 6, 1, 8, 30), QStringLiteral("zoë")}
                                 << QStringList{QStringLiteral("access"), QStringLiteral("expiresAt"),
                                                QStringLiteral("login"), QStringLiteral("refresh")};
}

void TestGitHubAuthToken::roundTrip()
{
    QFETCH(GitHubAuthToken, token);
    QFETCH(QStringList, keys);

    const QByteArray json = token.toJson();
    // Absent optional fields are left out rather than written as null.
    QCOMPARE(object(json).keys(), keys);
    QCOMPARE(GitHubAuthToken::fromJson(json), std::optional(token));
}

void TestGitHubAuthToken::unreadable_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("readable");

    QTest::newRow("not JSON") << QByteArray("gho_plain") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("array") << QByteArray(R"(["gho_a"])") << false;
    QTest::newRow("no access") << QByteArray(R"({"refresh":"ghr_a"})") << false;
    QTest::newRow("access a number") << QByteArray(R"({"access":12})") << false;
    QTest::newRow("refresh a number") << QByteArray(R"({"access":"a","refresh":1})") << false;
    QTest::newRow("expiresAt a string") << QByteArray(R"({"access":"a","expiresAt":"2025-01-01"})") << false;
    QTest::newRow("login an object") << QByteArray(R"({"access":"a","login":{}})") << false;
    QTest::newRow("nulls") << QByteArray(R"({"access":"a","refresh":null,"expiresAt":null,"login":null})") << true;
    QTest::newRow("unknown keys") << QByteArray(R"({"access":"a","scope":"repo"})") << true;
    QTest::newRow("absurd expiry") << QByteArray(R"({"access":"a","expiresAt":1e300})") << true;
}

void TestGitHubAuthToken::unreadable()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, readable);
    const auto token = GitHubAuthToken::fromJson(json);
    QCOMPARE(token.has_value(), readable);
    if (token)
        QCOMPARE(token->access, QStringLiteral("a"));
}

void TestGitHubAuthToken::fromReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("hasToken");
    QTest::addColumn<QString>("refresh");
    QTest::addColumn<qint64>("expiresIn"); // -1: no expiry

    QTest::newRow("full") << QByteArray(R"({"access_token":"t","refresh_token":"r","expires_in":28800})") << true << "r"
                          << qint64(28800);
    QTest::newRow("access only") << QByteArray(R"({"access_token":"t"})") << true << QString() << qint64(-1);
    QTest::newRow("fractional expiry") << QByteArray(R"({"access_token":"t","expires_in":3.5})") << true << QString()
                                       << qint64(-1);
    QTest::newRow("expiry as text") << QByteArray(R"({"access_token":"t","expires_in":"60"})") << true << QString()
                                    << qint64(-1);
    QTest::newRow("refresh a number") << QByteArray(R"({"access_token":"t","refresh_token":5})") << true << QString()
                                      << qint64(-1);
    QTest::newRow("no access token") << QByteArray(R"({"error":"authorization_pending"})") << false << QString()
                                     << qint64(-1);
    QTest::newRow("access token a number") << QByteArray(R"({"access_token":1})") << false << QString() << qint64(-1);
}

void TestGitHubAuthToken::fromReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, hasToken);
    QFETCH(QString, refresh);
    QFETCH(qint64, expiresIn);

    const QDateTime now = utc(2025, 3, 1, 12);
    const auto token = GitHubAuthToken::fromReply(object(reply), now);
    QCOMPARE(token.has_value(), hasToken);
    if (!token)
        return;
    QCOMPARE(token->access, QStringLiteral("t"));
    QCOMPARE(token->refresh.value_or(QString()), refresh);
    QCOMPARE(token->expiresAt, expiresIn < 0 ? std::nullopt : std::optional(now.addSecs(expiresIn)));
    QVERIFY(!token->login);
}

QTEST_GUILESS_MAIN(TestGitHubAuthToken)
#include "TestGitHubAuthToken.moc"
