// SPDX-License-Identifier: GPL-3.0-or-later
// The usage history on disk: what it keeps, for how long, how it recovers from a bad file, and the
// trend it gives the data document's windows.

#include "TestSupport.h"
#include "data/UsageHistory.h"
#include "data/UsageTrends.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <cmath>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// 2026-12-07 12:00 UTC.
const double noon = 1796644800;
const double minute = 60;
const double day = 24 * 3600;

// One step of a recording: when (seconds after noon), the window's use and reset (seconds after
// noon; NaN for none).
struct Step
{
    double after;
    double used;
    double resetAfter;
};

std::optional<double> resetOf(const Step &step)
{
    if (std::isnan(step.resetAfter))
        return std::nullopt;
    return noon + step.resetAfter;
}

// "after:used" of every sample, oldest first.
QStringList described(const QList<BurnRateForecast::Sample> &samples)
{
    QStringList text;
    for (const BurnRateForecast::Sample &sample : samples)
        text.append(QString::number(sample.at - noon) + QLatin1Char(':') + QString::number(sample.usedPercent));
    return text;
}

QJsonArray claudeEntry(double used, double resetsAt)
{
    const QJsonObject window{{"label", "5-hour"}, {"usedPercent", used}, {"resetsAt", resetsAt}};
    return QJsonArray{QJsonObject{{"id", "claude"}, {"status", "ok"}, {"windows", QJsonArray{window}}}};
}

QDateTime timeAt(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(seconds * 1000), QTimeZone::utc());
}

// Runs SQL on the file through a connection of its own, which the caller closes.
sqlite3 *openedWith(const QString &file, const char *sql)
{
    sqlite3 *other = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &other);
    sqlite3_exec(other, sql, nullptr, nullptr, nullptr);
    return other;
}

int rowsIn(const QString &file)
{
    sqlite3 *database = openedWith(file, "");
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(database, "SELECT count(*) FROM readings", -1, &count, nullptr);
    const int rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int(count, 0) : -1;
    sqlite3_finalize(count);
    sqlite3_close(database);
    return rows;
}

QStringList namesOf(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(QFileInfo(path).fileName());
    return names;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestUsageHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void keeps_data()
    {
        const double none = std::nan("");
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("one sample a minute, with the newest figure")
            << QList<Step>{{0, 10, 3600}, {30, 11, 3600}, {90, 12, 3600}} << QStringList{"0:11", "90:12"};
        QTest::newRow("eight days and no more")
            << QList<Step>{{0, 10, none}, {day, 20, none}, {8 * day + minute, 30, none}}
            << QStringList{QString::number(day) + ":20", QString::number(8 * day + minute) + ":30"};
        QTest::newRow("a new reset period starts afresh")
            << QList<Step>{{0, 60, 3600}, {10 * minute, 70, 3600}, {20 * minute, 5, 5 * 3600}}
            << QStringList{QString::number(20 * minute) + ":5"};
        QTest::newRow("the reset time has passed")
            << QList<Step>{{0, 60, 3600}, {3600, 0, none}} << QStringList{"3600:0"};
        QTest::newRow("a wobbling reset time is the same period")
            << QList<Step>{{0, 60, 3600}, {10 * minute, 70, 3630}} << QStringList{"0:60", "600:70"};
    }

    void keeps()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QStringList, kept);
        const QString file = m_dir->filePath("usage-history.sqlite");
        for (const Step &step : steps) {
            // A fresh connection each time, as every refresh opens its own.
            UsageHistory history(file);
            QVERIFY(history.record({{"claude", "5-hour", step.used, resetOf(step)}}, noon + step.after));
            QVERIFY(history.notice().isEmpty());
        }
        QCOMPARE(described(UsageHistory(file).samples("claude", "5-hour")), kept);
    }

    void unusableFileIsSetAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a database") << "garbage";
        QTest::newRow("another program's table") << "CREATE TABLE samples(x TEXT)";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("a trigger that never ends")
            << "CREATE TABLE readings(provider TEXT NOT NULL, window_key TEXT NOT NULL, at REAL NOT NULL, "
               "used REAL NOT NULL, resets_at REAL); CREATE TRIGGER forever AFTER INSERT ON readings BEGIN "
               "SELECT count(*) FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM "
               "c); "
               "END";
        QTest::newRow("a view of its own") << "CREATE VIEW latest AS SELECT 1";
    }

    void unusableFileIsSetAside()
    {
        QFETCH(QString, kind);
        const QString file = m_dir->filePath("usage-history.sqlite");
        if (kind == "garbage")
            QVERIFY(TestSupport::writeFile(file, QByteArray(4096, 'x')));
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(file));
        else
            sqlite3_close(openedWith(file, kind.toUtf8().constData()));

        UsageHistory history(file);
        QVERIFY(history.record({{"claude", "5-hour", 10, {}}}, noon));
        QCOMPARE(history.notice(), "The usage history could not be read, so Tessarine started it afresh; the old file "
                                   "is kept as " +
                                       QDir::toNativeSeparators(file) + ".damaged.1.");
        QCOMPARE(described(history.samples("claude", "5-hour")), QStringList{"0:10"});
        QCOMPARE(namesOf(UsageHistory::setAsideFiles(file)), QStringList{"usage-history.sqlite.damaged.1"});
        if (kind == "garbage")
            QCOMPARE(TestSupport::readFile(file + ".damaged.1"), QByteArray(4096, 'x'));
    }

    void fileInUseIsNeverMoved_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<bool>("stillThere"); // at the next recording
        QTest::addColumn<QStringList>("setAside");
        QTest::addColumn<int>("rowsKept"); // in the history, or else in the copy set aside
        QTest::newRow("a lock freed by the next recording") << "lock" << false << QStringList{} << 6;
        QTest::newRow("a lock still there at the next recording")
            << "lock" << true << QStringList{"usage-history.sqlite.damaged.1"} << 5;
        QTest::newRow("the refresh's wait already over") << "late" << false << QStringList{} << 6;
    }

    void fileInUseIsNeverMoved()
    {
        QFETCH(QString, trouble);
        QFETCH(bool, stillThere);
        QFETCH(QStringList, setAside);
        QFETCH(int, rowsKept);
        const QString file = m_dir->filePath("usage-history.sqlite");
        for (int reading = 0; reading < 5; ++reading)
            QVERIFY(UsageHistory(file).record({{"codex", "/#0", double(reading), {}}}, noon + reading * minute));
        sqlite3 *other = trouble == "lock" ? openedWith(file, "BEGIN EXCLUSIVE") : nullptr;
        const QDeadlineTimer deadline =
            trouble == "late" ? QDeadlineTimer(qint64(0)) : QDeadlineTimer(QDeadlineTimer::Forever);
        {
            UsageHistory history(file, deadline);
            QVERIFY(!history.record({{"codex", "/#0", 6, {}}}, noon + 6 * minute));
            QVERIFY(history.notice().isEmpty());
        }
        QVERIFY(UsageHistory::setAsideFiles(file).isEmpty());
        if (!stillThere) {
            sqlite3_close(other);
            other = nullptr;
        }
        UsageHistory next(file);
        const bool recorded = next.record({{"codex", "/#0", 7, {}}}, noon + 7 * minute);
        sqlite3_close(other);
        QVERIFY(recorded);
        QCOMPARE(namesOf(UsageHistory::setAsideFiles(file)), setAside);
        QCOMPARE(rowsIn(setAside.isEmpty() ? file : m_dir->filePath(setAside.first())), rowsKept);
    }

    void copiesSetAsideAreKept_data()
    {
        QTest::addColumn<bool>("earlierCopy"); // "<file>.damaged", as earlier makes kept it
        QTest::addColumn<int>("setAsides");
        QTest::addColumn<QStringList>("kept");
        const QString name = "usage-history.sqlite.damaged";
        QTest::newRow("one") << false << 1 << QStringList{name + ".1"};
        QTest::newRow("beside an earlier make's copy") << true << 1 << QStringList{name, name + ".1"};
        QTest::newRow("the oldest go past three") << true << 4 << QStringList{name + ".2", name + ".3", name + ".4"};
    }

    void copiesSetAsideAreKept()
    {
        QFETCH(bool, earlierCopy);
        QFETCH(int, setAsides);
        QFETCH(QStringList, kept);
        const QString file = m_dir->filePath("usage-history.sqlite");
        if (earlierCopy)
            QVERIFY(TestSupport::writeFile(file + ".damaged", "old"));
        for (int time = 0; time < setAsides; ++time) {
            QVERIFY(TestSupport::writeFile(file, QByteArray(4096, char('a' + time))));
            UsageHistory history(file);
            QVERIFY(history.notice().endsWith(QDir::toNativeSeparators(file) + ".damaged." + QString::number(time + 1) +
                                              "."));
        }
        QCOMPARE(namesOf(UsageHistory::setAsideFiles(file)), kept);
        QCOMPARE(TestSupport::readFile(file + ".damaged." + QString::number(setAsides)),
                 QByteArray(4096, char('a' + setAsides - 1)));
        UsageHistory::forget(file);
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void onlyTheUserReadsIt_data()
    {
        QTest::addColumn<QString>("before"); // "none", an octal mode, or "by label" (an earlier make's)
        QTest::addColumn<int>("mode");
        QTest::newRow("made afresh") << "none" << 0600;
        QTest::newRow("readable by everyone before") << "644" << 0600;
        QTest::newRow("made read-only by the user") << "444" << 0400;
        QTest::newRow("kept by label by an earlier make") << "by label" << 0600;
    }

    void onlyTheUserReadsIt()
    {
        QFETCH(QString, before);
        QFETCH(int, mode);
        const QString file = m_dir->filePath("usage-history.sqlite");
        if (before == "by label") {
            sqlite3_close(openedWith(file, "CREATE TABLE samples(provider TEXT NOT NULL, label TEXT NOT NULL, at REAL "
                                           "NOT NULL, used REAL NOT NULL, resets_at REAL);"
                                           "INSERT INTO samples VALUES('claude', '5-hour', 1, 2, NULL)"));
            QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        } else if (before != "none") {
            UsageHistory(file).record({{"claude", "/300m", 10, {}}}, noon);
            QVERIFY(::chmod(QFile::encodeName(file).constData(), mode_t(before.toInt(nullptr, 8))) == 0);
        }
        const UsageHistory history(file);
        QVERIFY(history.isOpen());
        QVERIFY(history.notice().isEmpty());
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), mode);
        QVERIFY(UsageHistory::setAsideFiles(file).isEmpty());
    }

    void windowsSharingALabelKeepApart_data()
    {
        QTest::addColumn<QJsonObject>("climbing");
        QTest::addColumn<QJsonObject>("steady");
        QTest::newRow("two lengths") << QJsonObject{{"minutes", 60}} << QJsonObject{{"minutes", 90}};
        QTest::newRow("no length known") << QJsonObject{} << QJsonObject{};
        QTest::newRow("two limits, one length")
            << QJsonObject{{"limit", "gpt-5-codex"}, {"minutes", 60}} << QJsonObject{{"minutes", 60}};
    }

    // A window going 60 → 92 % in 40 minutes, five hours before its reset, beside a steady one
    // with the same label.
    void windowsSharingALabelKeepApart()
    {
        QFETCH(QJsonObject, climbing);
        QFETCH(QJsonObject, steady);
        const QString file = m_dir->filePath("usage-history.sqlite");
        UsageTrends::Outcome outcome;
        for (int step = 0; step <= 8; ++step) {
            QJsonObject first = climbing;
            QJsonObject second = steady;
            for (QJsonObject *window : {&first, &second}) {
                window->insert("label", "1-hour");
                window->insert("resetsAt", noon + 5 * 3600);
            }
            first.insert("usedPercent", 60 + 4 * step);
            second.insert("usedPercent", 10);
            const QJsonArray entry{
                QJsonObject{{"id", "codex"}, {"status", "ok"}, {"windows", QJsonArray{first, second}}}};
            outcome = UsageTrends::annotateNow(entry, timeAt(noon + step * 5 * minute), file);
        }
        const QJsonArray windows = outcome.providers[0].toObject().value("windows").toArray();
        QCOMPARE(windows[0].toObject().value("outlook").toString(), "runsOut");
        QCOMPARE(windows[1].toObject().value("outlook"), QJsonValue(QJsonValue::Null));
        for (const QJsonValue &used : windows[1].toObject().value("series").toArray())
            QCOMPARE(used.toDouble(), 10.0);
    }

    void turnedOffKeepsNothing()
    {
        const QString file = UsageHistory::defaultFile();
        UsageTrends::annotateNow(claudeEntry(40, noon + 3600), timeAt(noon), file);
        QVERIFY(QFileInfo::exists(file));
        const UsageTrends::Outcome outcome = UsageTrends::annotateNow(claudeEntry(40, noon + 3600), timeAt(noon), {});
        QVERIFY(!QFileInfo::exists(file));
        const QJsonObject window = outcome.providers[0].toObject().value("windows").toArray()[0].toObject();
        QCOMPARE(window.value("runsOutAt"), QJsonValue(QJsonValue::Null));
        QCOMPARE(window.value("series"), QJsonValue(QJsonArray()));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestUsageHistory)
#include "TestUsageHistory.moc"
