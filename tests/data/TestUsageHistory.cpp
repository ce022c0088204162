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
        QTest::addColumn<QString>("notice");
        const QString damaged = "The usage history could not be read, so Tessarine started it afresh; the old file "
                                "is kept as usage-history.sqlite.damaged.";
        QTest::newRow("not a database") << "garbage" << damaged;
        QTest::newRow("another program's table") << "foreign" << damaged;
        QTest::newRow("a folder in its place") << "folder" << damaged;
        QTest::newRow("locked by another program")
            << "locked"
            << "The usage history was locked by another program, so Tessarine started it afresh; the old file is "
               "kept as usage-history.sqlite.damaged.";
    }

    void unusableFileIsSetAside()
    {
        QFETCH(QString, kind);
        QFETCH(QString, notice);
        const QString file = m_dir->filePath("usage-history.sqlite");
        sqlite3 *other = nullptr;
        if (kind == "garbage") {
            QVERIFY(TestSupport::writeFile(file, QByteArray(4096, 'x')));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(file));
        } else {
            QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &other), SQLITE_OK);
            const char *sql = kind == "foreign" ? "CREATE TABLE samples(x TEXT)" : "BEGIN EXCLUSIVE";
            if (kind == "locked")
                UsageHistory(file).record({{"claude", "5-hour", 1, {}}}, noon - minute);
            QCOMPARE(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        }

        UsageHistory history(file);
        const bool recorded = history.record({{"claude", "5-hour", 10, {}}}, noon);
        sqlite3_close(other);
        QVERIFY(recorded);
        QCOMPARE(history.notice(), notice);
        QCOMPARE(described(history.samples("claude", "5-hour")), QStringList{"0:10"});
        QVERIFY(QFileInfo::exists(UsageHistory::setAsideFile(file)));
        if (kind == "garbage")
            QCOMPARE(TestSupport::readFile(UsageHistory::setAsideFile(file)), QByteArray(4096, 'x'));
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
