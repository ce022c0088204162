// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsageHistory.h"

#include "platform/Defaults.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <sqlite3.h>

namespace {

const QString enabledKey = QStringLiteral("usageHistory");
// What SQLite keeps beside a database while it writes; it belongs to the database it was made for.
const QStringList companions{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

const char *const schema = "CREATE TABLE IF NOT EXISTS samples("
                           "provider TEXT NOT NULL, label TEXT NOT NULL, at REAL NOT NULL, used REAL NOT NULL, "
                           "resets_at REAL);"
                           "CREATE INDEX IF NOT EXISTS samples_by_window ON samples(provider, label);";

// One prepared statement, finalised however its use ends.
class Statement
{
public:
    Statement(sqlite3 *database, const char *sql)
    {
        if (sqlite3_prepare_v2(database, sql, -1, &m_statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isPrepared() const { return m_statement != nullptr; }
    void bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, double value) { sqlite3_bind_double(m_statement, index, value); }
    void bind(int index, std::optional<double> value)
    {
        if (value)
            bind(index, *value);
        else
            sqlite3_bind_null(m_statement, index);
    }
    void bind(int index, sqlite3_int64 value) { sqlite3_bind_int64(m_statement, index, value); }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step() { return m_statement ? sqlite3_step(m_statement) : SQLITE_ERROR; }
    bool run() { return step() == SQLITE_DONE; }
    double number(int column) const { return sqlite3_column_double(m_statement, column); }
    std::optional<double> optionalNumber(int column) const
    {
        if (sqlite3_column_type(m_statement, column) == SQLITE_NULL)
            return std::nullopt;
        return number(column);
    }
    sqlite3_int64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QByteArray text(int column) const
    {
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column)));
    }

private:
    sqlite3_stmt *m_statement = nullptr;
};

// Failures that a fresh database cures; a full disk or an input-output error would follow it.
bool isUnusable(int code)
{
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_ERROR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH:
        return true;
    default:
        return false;
    }
}

bool isLocked(int code)
{
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

void removeEntry(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

// Moves whatever stands at `from` (a file, a folder, a link) to `to`, or at least out of the way.
void replaceEntry(const QString &from, const QString &to)
{
    const QFileInfo info(from);
    if (!info.exists() && !info.isSymLink())
        return;
    removeEntry(to);
    if (!QDir().rename(from, to))
        removeEntry(from);
}

} // namespace

QString UsageHistory::defaultFile()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/usage-history.sqlite");
}

QString UsageHistory::setAsideFile(const QString &file)
{
    return file + QStringLiteral(".damaged");
}

bool UsageHistory::isEnabled()
{
    return !Defaults::contains(enabledKey) || Defaults::boolValue(enabledKey);
}

void UsageHistory::forget(const QString &file)
{
    for (const QString &name : {file, setAsideFile(file)}) {
        QFile::remove(name);
        for (const QString &companion : companions)
            QFile::remove(name + companion);
    }
}

UsageHistory::UsageHistory(QString file)
    : m_file(std::move(file))
{
    if (open() == Failure::Unusable)
        setAside(reasonOf(m_lastCode));
}

QString UsageHistory::reasonOf(int code)
{
    return isLocked(code) ? QStringLiteral("was locked by another program") : QStringLiteral("could not be read");
}

UsageHistory::~UsageHistory()
{
    close();
}

void UsageHistory::close()
{
    sqlite3_close(m_database);
    m_database = nullptr;
}

bool UsageHistory::execute(const char *sql) const
{
    return sqlite3_exec(m_database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

UsageHistory::Failure UsageHistory::open()
{
    const QFileInfo info(m_file);
    if (!QDir().mkpath(info.absolutePath()))
        return Failure::Other;
    // A link or something other than a file at the name is never opened: a named pipe would stall
    // the reader, and a link would let the history be written wherever it points.
    m_lastCode = SQLITE_OK;
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return Failure::Unusable;
    const bool created = !info.exists();
    const int opened = sqlite3_open_v2(QFile::encodeName(m_file).constData(), &m_database,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    m_lastCode = opened;
    if (opened != SQLITE_OK) {
        close();
        return isUnusable(opened) ? Failure::Unusable : Failure::Other;
    }
    if (created)
        QFile::setPermissions(m_file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sqlite3_busy_timeout(m_database, 1000);
    bool intact = false;
    {
        Statement check(m_database, "PRAGMA quick_check(1)");
        intact = check.step() == SQLITE_ROW && check.text(0) == "ok";
    }
    const bool shaped =
        intact && execute(schema) &&
        Statement(m_database, "SELECT provider, label, at, used, resets_at FROM samples LIMIT 0").isPrepared();
    if (shaped)
        return Failure::None;
    m_lastCode = sqlite3_errcode(m_database);
    close();
    return !intact || isUnusable(m_lastCode) ? Failure::Unusable : Failure::Other;
}

void UsageHistory::setAside(const QString &reason)
{
    close();
    const QString aside = setAsideFile(m_file);
    replaceEntry(m_file, aside);
    for (const QString &companion : companions)
        replaceEntry(m_file + companion, aside + companion);
    m_notice = QStringLiteral("The usage history ") + reason +
               QStringLiteral(", so Tessarine started it afresh; the old file is kept as ") +
               QFileInfo(aside).fileName() + QLatin1Char('.');
    if (open() != Failure::None)
        close();
}

bool UsageHistory::record(const QList<Reading> &readings, double now)
{
    if (!m_database)
        return false;
    Failure failure = recordOnce(readings, now);
    if (failure != Failure::Unusable)
        return failure == Failure::None;
    setAside(reasonOf(m_lastCode));
    return m_database && recordOnce(readings, now) == Failure::None;
}

UsageHistory::Failure UsageHistory::recordOnce(const QList<Reading> &readings, double now)
{
    bool recorded = execute("BEGIN IMMEDIATE");
    for (qsizetype index = 0; recorded && index < readings.size(); ++index)
        recorded = recordReading(readings[index], now);
    if (recorded) {
        // Samples from before the kept time, or from far ahead of a clock that has been put back.
        Statement prune(m_database, "DELETE FROM samples WHERE at < ?1 OR at > ?2");
        prune.bind(1, now - double(keptFor.count()));
        prune.bind(2, now + double(keptFor.count()));
        recorded = prune.run() && execute("COMMIT");
    }
    if (recorded)
        return Failure::None;
    m_lastCode = sqlite3_errcode(m_database);
    execute("ROLLBACK");
    return isUnusable(m_lastCode) ? Failure::Unusable : Failure::Other;
}

bool UsageHistory::recordReading(const Reading &reading, double now)
{
    Statement latest(m_database, "SELECT rowid, at, resets_at FROM samples WHERE provider = ?1 AND label = ?2 "
                                 "ORDER BY rowid DESC LIMIT 1");
    latest.bind(1, reading.provider);
    latest.bind(2, reading.window);
    const int found = latest.step();
    if (found != SQLITE_ROW && found != SQLITE_DONE)
        return false;
    if (found == SQLITE_ROW) {
        const double latestAt = latest.number(1);
        const std::optional<double> latestReset = latest.optionalNumber(2);
        const bool periodEnded =
            latestReset && (now >= *latestReset || (reading.resetsAt && std::abs(*reading.resetsAt - *latestReset) >
                                                                            double(sameResetTolerance.count())));
        if (periodEnded) {
            Statement forget(m_database, "DELETE FROM samples WHERE provider = ?1 AND label = ?2");
            forget.bind(1, reading.provider);
            forget.bind(2, reading.window);
            if (!forget.run())
                return false;
        } else if (latestAt <= now && now - latestAt < double(sampleSpacing.count())) {
            // Within the minute: the sample keeps its time and takes the newest figure.
            Statement update(m_database, "UPDATE samples SET used = ?1, resets_at = ?2 WHERE rowid = ?3");
            update.bind(1, reading.usedPercent);
            update.bind(2, reading.resetsAt);
            update.bind(3, latest.integer(0));
            return update.run();
        }
    }
    Statement insert(m_database,
                     "INSERT INTO samples(provider, label, at, used, resets_at) VALUES(?1, ?2, ?3, ?4, ?5)");
    insert.bind(1, reading.provider);
    insert.bind(2, reading.window);
    insert.bind(3, now);
    insert.bind(4, reading.usedPercent);
    insert.bind(5, reading.resetsAt);
    return insert.run();
}

QList<BurnRateForecast::Sample> UsageHistory::samples(const QString &provider, const QString &window) const
{
    QList<BurnRateForecast::Sample> found;
    if (!m_database)
        return found;
    Statement query(m_database, "SELECT at, used FROM samples WHERE provider = ?1 AND label = ?2 ORDER BY rowid");
    query.bind(1, provider);
    query.bind(2, window);
    while (query.step() == SQLITE_ROW)
        found.append({query.number(0), query.number(1)});
    return found;
}
