// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "data/GitHubSource.h"
#include "data/WisprSource.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>
#include <ctime>
#include <sqlite3.h>

namespace {

using Days = QHash<QString, WisprSource::Day>;

QJsonObject stat(const QString &label, qint64 value, const QString &sub)
{
    return QJsonObject{{"label", label}, {"value", value}, {"format", "count"}, {"sub", sub}};
}

QDateTime localTime(const QDate &day, const QTime &time)
{
    return QDateTime(day, time);
}

// A Wispr Flow history with rows of (local time, words, seconds); a null time stores the text
// "garbage" instead.
bool writeHistory(const QString &path, const QList<std::tuple<QDateTime, qint64, double>> &rows)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    sqlite3 *database = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &database) != SQLITE_OK)
        return false;
    bool ok = sqlite3_exec(database,
                           "CREATE TABLE History (id INTEGER PRIMARY KEY, timestamp DATETIME, numWords INTEGER, "
                           "duration REAL, formattedText TEXT)",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt *insert = nullptr;
    ok = ok && sqlite3_prepare_v2(database,
                                  "INSERT INTO History (timestamp, numWords, duration, formattedText) "
                                  "VALUES (?, ?, ?, 'secret words')",
                                  -1, &insert, nullptr) == SQLITE_OK;
    for (const auto &[time, words, seconds] : rows) {
        const QByteArray stamp =
            time.isValid() ? time.toUTC().toString("yyyy-MM-dd HH:mm:ss.zzz").toUtf8() : QByteArray("garbage");
        sqlite3_bind_text(insert, 1, stamp.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 2, words);
        sqlite3_bind_double(insert, 3, seconds);
        ok = ok && sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(database);
    return ok;
}

} // namespace

// Runs in Pacific/Auckland, where local days and UTC days differ and daylight saving starts
// on the last Sunday of September.
class TestWisprSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statsFromDays_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<Days>("days");
        QTest::addColumn<QJsonArray>("stats");

        // 22:15 on 1 March in Auckland.
        const QDateTime march = QDateTime::fromString("2026-03-01T09:15:42.120Z", Qt::ISODateWithMs);
        const WisprSource::Day hundred{100, 60, 2};

        QTest::newRow("no dictation today, five days before")
            << march
            << Days{{"2026-02-24", hundred},
                    {"2026-02-25", hundred},
                    {"2026-02-26", hundred},
                    {"2026-02-27", hundred},
                    {"2026-02-28", hundred}}
            << QJsonArray{stat("Today", 0, "words · 0 dictations"),
                          stat("Last 30 days", 500, "words · 100 wpm · 5-day streak")};
        QTest::newRow("3000 words in 1800 seconds")
            << march << Days{{"2026-03-01", {3000, 1800, 4}}}
            << QJsonArray{stat("Today", 3000, "words · 4 dictations"),
                          stat("Last 30 days", 3000, "words · 100 wpm · 1-day streak")};
        QTest::newRow("nothing") << march << Days{}
                                 << QJsonArray{stat("Today", 0, "words · 0 dictations"),
                                               stat("Last 30 days", 0, "words · 0 wpm · 0-day streak")};
        QTest::newRow("29 days back counts, 30 days back does not")
            << march << Days{{"2026-01-31", {10, 60, 1}}, {"2026-01-30", {1000, 60, 1}}}
            << QJsonArray{stat("Today", 0, "words · 0 dictations"),
                          stat("Last 30 days", 10, "words · 10 wpm · 0-day streak")};
        QTest::newRow("half a word a minute rounds up")
            << march << Days{{"2026-03-01", {5, 120, 1}}}
            << QJsonArray{stat("Today", 5, "words · 1 dictations"),
                          stat("Last 30 days", 5, "words · 3 wpm · 1-day streak")};
        QTest::newRow("no seconds, no speed") << march << Days{{"2026-03-01", {5, 0, 1}}}
                                              << QJsonArray{stat("Today", 5, "words · 1 dictations"),
                                                            stat("Last 30 days", 5, "words · 0 wpm · 1-day streak")};
        QTest::newRow("a gap ends the streak")
            << march << Days{{"2026-03-01", hundred}, {"2026-02-28", hundred}, {"2026-02-26", hundred}}
            << QJsonArray{stat("Today", 100, "words · 2 dictations"),
                          stat("Last 30 days", 300, "words · 100 wpm · 2-day streak")};
        // 01:30 on 2 March locally, 12:30 on 1 March in UTC: the local day is today.
        QTest::newRow("local day, not UTC day")
            << QDateTime::fromString("2026-03-01T12:30:00Z", Qt::ISODate) << Days{{"2026-03-02", hundred}}
            << QJsonArray{stat("Today", 100, "words · 2 dictations"),
                          stat("Last 30 days", 100, "words · 100 wpm · 1-day streak")};

        // 27 September 2026 has 23 hours in Auckland: the 24-hour steps back from 00:30 on
        // 28 September land on 26 September, so the streak never sees the 27th, and 29 × 24
        // hours back reach 29 August, a 31st calendar day.
        const QDateTime afterShortDay = localTime(QDate(2026, 9, 28), QTime(0, 30));
        QTest::newRow("streak across the start of summer time")
            << afterShortDay << Days{{"2026-09-28", hundred}, {"2026-09-27", hundred}, {"2026-09-26", hundred}}
            << QJsonArray{stat("Today", 100, "words · 2 dictations"),
                          stat("Last 30 days", 300, "words · 100 wpm · 2-day streak")};
        QTest::newRow("thirty days across the start of summer time")
            << afterShortDay << Days{{"2026-08-30", hundred}, {"2026-08-29", hundred}, {"2026-08-28", hundred}}
            << QJsonArray{stat("Today", 0, "words · 0 dictations"),
                          stat("Last 30 days", 200, "words · 100 wpm · 0-day streak")};
    }

    void statsFromDays()
    {
        QFETCH(QDateTime, now);
        QFETCH(Days, days);
        QFETCH(QJsonArray, stats);
        QCOMPARE(WisprSource::statsFromDays(days, now), stats);
    }

    // London moves to summer time on 29 March 2026. In the hour after local midnight the window
    // of exactly 29 × 24 hours reaches one calendar day further back, and a streak's 24-hour
    // steps skip a day.
    void londonHourAfterMidnight_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<Days>("days");
        QTest::addColumn<qint64>("words30");
        QTest::addColumn<QString>("sub");

        QTest::newRow("30-day words on 20 April 00:30")
            << QDateTime(QDate(2026, 4, 20), QTime(0, 30))
            << Days{{"2026-04-20", {1, 60, 1}}, {"2026-03-21", {100, 60, 1}}, {"2026-03-20", {1000, 60, 1}}}
            << qint64(101) << "words · 51 wpm · 1-day streak";
        QTest::newRow("streak on 30 March 00:30")
            << QDateTime(QDate(2026, 3, 30), QTime(0, 30))
            << Days{{"2026-03-30", {1, 60, 1}}, {"2026-03-29", {1, 60, 1}}, {"2026-03-28", {1, 60, 1}}} << qint64(3)
            << "words · 1 wpm · 2-day streak";
    }

    void londonHourAfterMidnight()
    {
        QFETCH(QDateTime, now);
        QFETCH(Days, days);
        QFETCH(qint64, words30);
        QFETCH(QString, sub);
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/London");
        tzset();
        const QDateTime local(now.date(), now.time());
        const QJsonObject last30 = WisprSource::statsFromDays(days, local).at(1).toObject();
        const qint64 offset = local.offsetFromUtc();
        qputenv("TZ", zone);
        tzset();

        QCOMPARE(offset, 3600);
        QCOMPARE(last30.value("value").toInteger(), words30);
        QCOMPARE(last30.value("sub").toString(), sub);
    }

    void theShortDayIsReallyShort()
    {
        // Guards the two rows above: the zone must have its change where they expect it.
        const QDateTime afterShortDay = localTime(QDate(2026, 9, 28), QTime(0, 30));
        QCOMPARE(GitHubSource::dayString(afterShortDay.addSecs(-86400), false), QStringLiteral("2026-09-26"));
    }

    void readsTheDatabase()
    {
        const QDate today = QDate::currentDate();
        const QTime noon(12, 0);
        // 00:30 local time lies on the previous day in UTC; SQLite must group it locally.
        QVERIFY(writeHistory(WisprSource::databasePath(), {{localTime(today, QTime(0, 30)), 100, 60},
                                                           {localTime(today, QTime(10, 0)), 50, 30},
                                                           {localTime(today, QTime(11, 0)), 0, 500},
                                                           {localTime(today.addDays(-1), noon), 200, 120},
                                                           {QDateTime(), 999, 60},
                                                           {localTime(today.addDays(-29), noon), 1000, 600},
                                                           {localTime(today.addDays(-30), noon), 7000, 60},
                                                           {localTime(today.addDays(-100), noon), 5000, 60}}));
        const QByteArray before = TestSupport::readFile(WisprSource::databasePath());

        const std::optional<QJsonArray> stats = WisprSource::stats(localTime(today, noon));
        QVERIFY(stats);
        QCOMPARE(*stats, (QJsonArray{stat("Today", 150, "words · 2 dictations"),
                                     stat("Last 30 days", 1350, "words · 100 wpm · 2-day streak")}));
        QCOMPARE(TestSupport::readFile(WisprSource::databasePath()), before);
        QVERIFY(!QFile::exists(WisprSource::databasePath() + "-journal"));
    }

    void onlyOldRows()
    {
        const QDate today = QDate::currentDate();
        QVERIFY(writeHistory(WisprSource::databasePath(), {{localTime(today.addDays(-61), QTime(12, 0)), 500, 60},
                                                           {localTime(QDate(2020, 1, 1), QTime(9, 0)), 50, 6}}));
        QCOMPARE(WisprSource::stats(QDateTime::currentDateTime()),
                 (QJsonArray{stat("Today", 0, "words · 0 dictations"),
                             stat("Last 30 days", 0, "words · 0 wpm · 0-day streak")}));
    }

    void unreadableDatabases_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a database") << QByteArray("this is not SQLite\n");
    }

    void unreadableDatabases()
    {
        QFETCH(QByteArray, contents);
        QFile::remove(WisprSource::databasePath());
        if (!contents.isEmpty())
            QVERIFY(TestSupport::writeFile(WisprSource::databasePath(), contents));
        QVERIFY(!WisprSource::stats(QDateTime::currentDateTime()));
    }

    void databaseWithoutHistory()
    {
        const QString path = WisprSource::databasePath();
        QFile::remove(path);
        sqlite3 *database = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &database), SQLITE_OK);
        sqlite3_exec(database, "CREATE TABLE Other (x INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(database);
        QVERIFY(!WisprSource::stats(QDateTime::currentDateTime()));
    }

    // A History that never ends (a recursive view) is stopped at the bound, off the interface
    // thread, and the reason says it was too slow rather than unreadable.
    void endlessHistoryIsStoppedAndSaysSo()
    {
        const QString path = WisprSource::databasePath();
        QFile::remove(path);
        sqlite3 *database = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &database), SQLITE_OK);
        QCOMPARE(sqlite3_exec(database,
                              "CREATE VIEW History AS WITH RECURSIVE r(timestamp, numWords, duration) AS "
                              "(SELECT datetime('now'), 1, 1.0 UNION ALL SELECT timestamp, numWords, duration FROM r) "
                              "SELECT * FROM r",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(database);
        const auto bound = std::chrono::milliseconds(300);
        const WisprSource::Reading reading =
            QCoro::waitFor(WisprSource::readInBackground(QDateTime::currentDateTime(), path, bound));
        QVERIFY(!reading.stats);
        QCOMPARE(reading.reason, WisprSource::tooSlowReason(bound));
        QVERIFY(reading.reason.contains(QStringLiteral("took too long to read")));
    }

    void pathsThatAreNotPlainInAUri()
    {
        const QString odd = QDir::homePath() + "/we?ird #dir %41/Wispr Flow/flow.sqlite";
        QCOMPARE(WisprSource::databaseUri(odd), "file://" + QFile::encodeName(QDir::homePath()) +
                                                    "/we%3Fird%20%23dir%20%2541/Wispr%20Flow/flow.sqlite"
                                                    "?mode=ro");
        const QDate today = QDate::currentDate();
        QVERIFY(writeHistory(odd, {{localTime(today, QTime(9, 0)), 42, 60}}));
        const std::optional<QJsonArray> stats = WisprSource::stats(localTime(today, QTime(12, 0)), odd);
        QVERIFY(stats);
        QCOMPARE(stats->first().toObject().value("value").toInteger(), 42);
    }
};

int main(int argc, char *argv[])
{
    qputenv("TZ", "Pacific/Auckland");
    tzset();
    QCoreApplication app(argc, argv);
    TestWisprSource test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestWisprSource.moc"
