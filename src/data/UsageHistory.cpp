// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsageHistory.h"

#include "platform/Defaults.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

namespace {

const QString enabledKey = QStringLiteral("usageHistory");
// What SQLite keeps beside a database while it writes; it belongs to the database it was made for.
const QStringList companions{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

const QString asideSuffix = QStringLiteral(".damaged");

// The index by window keeps a window's rows in recorded order (the rowid ends every index entry),
// so its latest readings are read without sorting the rest; the index by time serves the pruning.
const char *const schema =
    "CREATE TABLE IF NOT EXISTS readings("
    "provider TEXT NOT NULL, window_key TEXT NOT NULL, at REAL NOT NULL, used REAL NOT NULL, resets_at REAL);"
    "CREATE INDEX IF NOT EXISTS readings_by_window ON readings(provider, window_key);"
    "CREATE INDEX IF NOT EXISTS readings_by_time ON readings(at);";
const char *const readingsShape = "SELECT provider, window_key, at, used, resets_at FROM readings LIMIT 0";
// Earlier makes kept readings by the window's label, which repeats between windows.
const char *const legacyShape = "SELECT provider, label, at, used, resets_at FROM samples LIMIT 0";

// Everything a history of this make or an earlier one holds; anything else (another program's
// table, a view, a trigger) makes the file someone else's.
bool isOwnObject(const QByteArray &type, const QByteArray &name)
{
    static const QSet<QByteArray> tables{"readings", "samples"};
    static const QSet<QByteArray> indexes{"readings_by_window", "readings_by_time", "samples_by_window"};
    if (name.startsWith("sqlite_"))
        return type == "table" || type == "index";
    return (type == "table" && tables.contains(name)) || (type == "index" && indexes.contains(name));
}

// How often (in virtual machine steps) SQLite asks whether to go on: often enough to stop within
// milliseconds of the deadline.
constexpr int progressSteps = 1000;
// Another program's lock is waited for at most this long a statement, and never past the deadline.
constexpr int lockWaits = 50;
constexpr std::chrono::milliseconds lockWaitStep{20};

int stopWhenLate(void *deadline)
{
    return static_cast<const QDeadlineTimer *>(deadline)->hasExpired() ? 1 : 0;
}

int waitForLock(void *deadline, int waited)
{
    if (waited >= lockWaits || static_cast<const QDeadlineTimer *>(deadline)->hasExpired())
        return 0;
    std::this_thread::sleep_for(lockWaitStep);
    return 1;
}

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

// What this process remembers of a history file between recordings: a lock found at the last
// one, and a refusal to be written the user has been told of.
struct Troubles
{
    QMutex mutex;
    QSet<QString> lockedLastTime;
    QSet<QString> toldUnwritable;
};

Troubles &troubles()
{
    static Troubles kept;
    return kept;
}

// Adds `file` to the set; true when it was there already.
bool rememberIn(QSet<QString> Troubles::*set, const QString &file)
{
    Troubles &kept = troubles();
    const QMutexLocker lock(&kept.mutex);
    if ((kept.*set).contains(file))
        return true;
    (kept.*set).insert(file);
    return false;
}

void forgetTroubles(const QString &file)
{
    Troubles &kept = troubles();
    const QMutexLocker lock(&kept.mutex);
    kept.lockedLastTime.remove(file);
    kept.toldUnwritable.remove(file);
}

QString unwritableReason(int code)
{
    switch (code & 0xff) {
    case SQLITE_READONLY:
        return QStringLiteral("the file is read-only");
    case SQLITE_FULL:
        return QStringLiteral("the disk is full");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("the file could not be opened");
    default:
        return QStringLiteral("the disk reported an error");
    }
}

void removeEntry(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

bool entryExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Only the owner may read or write: the history holds the user's own figures. Bits the owner
// lacks (a history made read-only) stay off.
void restrictMode(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::lstat(name.constData(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 077) != 0)
        ::chmod(name.constData(), status.st_mode & 0600);
}

// The number of a copy set aside: 0 for the one earlier makes kept, none for other names.
std::optional<int> copyNumber(const QString &base, const QString &name)
{
    const QString plain = base + asideSuffix;
    if (name == plain)
        return 0;
    if (!name.startsWith(plain + QLatin1Char('.')))
        return std::nullopt;
    bool isNumber = false;
    const int number = QStringView(name).mid(plain.size() + 1).toInt(&isNumber);
    return isNumber && number > 0 ? std::optional<int>(number) : std::nullopt;
}

} // namespace

QString UsageHistory::defaultFile()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/usage-history.sqlite");
}

QStringList UsageHistory::setAsideFiles(const QString &file)
{
    const QFileInfo info(file);
    const QDir folder = info.dir();
    QList<std::pair<int, QString>> numbered;
    const QStringList names = folder.entryList({info.fileName() + asideSuffix + QLatin1Char('*')},
                                               QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (const std::optional<int> number = copyNumber(info.fileName(), name))
            numbered.append({*number, folder.filePath(name)});
    }
    std::sort(numbered.begin(), numbered.end());
    QStringList files;
    for (const auto &[number, path] : numbered)
        files.append(path);
    return files;
}

bool UsageHistory::isEnabled()
{
    return !Defaults::contains(enabledKey) || Defaults::boolValue(enabledKey);
}

void UsageHistory::forget(const QString &file)
{
    for (const QString &name : QStringList{file} + setAsideFiles(file)) {
        removeEntry(name);
        for (const QString &companion : companions)
            QFile::remove(name + companion);
    }
}

UsageHistory::UsageHistory(QString file, QDeadlineTimer deadline)
    : m_file(std::move(file))
    , m_deadline(deadline)
{
    const Failure failure = open();
    if (failure != Failure::None)
        recover(failure);
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

UsageHistory::Failure UsageHistory::lastFailure() const
{
    switch (m_lastCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Failure::Locked;
    case SQLITE_READONLY:
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Failure::Unwritable;
    case SQLITE_INTERRUPT:
    case SQLITE_NOMEM:
    case SQLITE_MISUSE:
        return Failure::TooSlow;
    default:
        return Failure::Damaged;
    }
}

void UsageHistory::restrictModes() const
{
    restrictMode(m_file);
    for (const QString &companion : companions)
        restrictMode(m_file + companion);
}

UsageHistory::Failure UsageHistory::open()
{
    const QFileInfo info(m_file);
    m_lastCode = SQLITE_OK;
    if (m_deadline.hasExpired())
        return Failure::TooSlow;
    if (!QDir().mkpath(info.absolutePath())) {
        m_lastCode = SQLITE_CANTOPEN;
        return Failure::Unwritable;
    }
    // A link or something other than a file at the name is never opened: a named pipe would stall
    // the reader, and a link would let the history be written wherever it points.
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return Failure::Damaged;
    const int opened = sqlite3_open_v2(QFile::encodeName(m_file).constData(), &m_database,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (opened != SQLITE_OK) {
        m_lastCode = opened;
        close();
        return lastFailure();
    }
    restrictModes();
    sqlite3_progress_handler(m_database, progressSteps, stopWhenLate, &m_deadline);
    sqlite3_busy_handler(m_database, waitForLock, &m_deadline);
    const Failure prepared = prepare();
    if (prepared != Failure::None)
        close();
    return prepared;
}

// Checks the file is a whole history of ours and gives it the current tables.
UsageHistory::Failure UsageHistory::prepare()
{
    bool hasReadings = false;
    bool hasLegacy = false;
    {
        Statement check(m_database, "PRAGMA quick_check(1)");
        if (check.step() != SQLITE_ROW) {
            m_lastCode = sqlite3_errcode(m_database);
            return lastFailure();
        }
        if (check.text(0) != "ok")
            return Failure::Damaged;
        Statement objects(m_database, "SELECT type, name FROM sqlite_master");
        int step;
        while ((step = objects.step()) == SQLITE_ROW) {
            if (!isOwnObject(objects.text(0), objects.text(1)))
                return Failure::Damaged;
            hasReadings = hasReadings || objects.text(1) == "readings";
            hasLegacy = hasLegacy || objects.text(1) == "samples";
        }
        m_lastCode = sqlite3_errcode(m_database);
        if (step != SQLITE_DONE)
            return lastFailure();
    }
    const bool shaped = (!hasReadings || Statement(m_database, readingsShape).isPrepared()) &&
                        (!hasLegacy || Statement(m_database, legacyShape).isPrepared());
    if (!shaped)
        return Failure::Damaged;
    // A history already in shape is not written to here, so one made read-only can still be read.
    if (hasReadings && !hasLegacy)
        return Failure::None;
    // Readings kept by label cannot be told apart between windows that share one: those windows
    // start afresh.
    if (execute("BEGIN IMMEDIATE") && execute("DROP TABLE IF EXISTS samples") && execute(schema) && execute("COMMIT"))
        return Failure::None;
    m_lastCode = sqlite3_errcode(m_database);
    execute("ROLLBACK");
    return lastFailure();
}

bool UsageHistory::recover(Failure failure)
{
    switch (failure) {
    case Failure::None:
        return false;
    case Failure::Damaged:
        setAside(QStringLiteral("could not be read"));
        return isOpen();
    case Failure::Locked:
        // Another program may be holding it for a moment; only a lock still there at the next
        // recording moves the file aside.
        if (!rememberIn(&Troubles::lockedLastTime, m_file)) {
            close();
            return false;
        }
        setAside(QStringLiteral("was locked by another program"));
        return isOpen();
    case Failure::Unwritable:
        if (!rememberIn(&Troubles::toldUnwritable, m_file)) {
            m_noticeTitle = QStringLiteral("Usage history not recorded");
            m_notice = QStringLiteral("The usage history cannot be written (") + unwritableReason(m_lastCode) +
                       QStringLiteral("), so Tessarine records no new readings until it can; the file is ") +
                       QDir::toNativeSeparators(m_file) + QLatin1Char('.');
        }
        return false;
    case Failure::TooSlow:
        close();
        return false;
    }
    return false;
}

void UsageHistory::setAside(const QString &reason)
{
    close();
    const QStringList earlier = setAsideFiles(m_file);
    const std::optional<int> last =
        earlier.isEmpty() ? std::nullopt
                          : copyNumber(QFileInfo(m_file).fileName(), QFileInfo(earlier.last()).fileName());
    const QString aside = m_file + asideSuffix + QLatin1Char('.') + QString::number(last.value_or(0) + 1);
    m_noticeTitle = QStringLiteral("Usage history started afresh");
    if (entryExists(aside) || !QDir().rename(m_file, aside)) {
        m_notice = QStringLiteral("The usage history ") + reason +
                   QStringLiteral(" and could not be moved aside, so no readings are recorded; the file is ") +
                   QDir::toNativeSeparators(m_file) + QLatin1Char('.');
        return;
    }
    restrictMode(aside);
    for (const QString &companion : companions) {
        // A journal left beside the new database would be played back into it.
        if (entryExists(m_file + companion) && !QDir().rename(m_file + companion, aside + companion))
            removeEntry(m_file + companion);
        restrictMode(aside + companion);
    }
    const QStringList kept = setAsideFiles(m_file);
    for (qsizetype index = 0; index + keptCopies < kept.size(); ++index) {
        removeEntry(kept[index]);
        for (const QString &companion : companions)
            QFile::remove(kept[index] + companion);
    }
    m_notice = QStringLiteral("The usage history ") + reason +
               QStringLiteral(", so Tessarine started it afresh; the old file is kept as ") +
               QDir::toNativeSeparators(aside) + QLatin1Char('.');
    if (open() != Failure::None)
        close();
}

bool UsageHistory::record(const QList<Reading> &readings, double now)
{
    if (!m_database)
        return false;
    Failure failure = recordOnce(readings, now);
    if (failure != Failure::None && recover(failure))
        failure = recordOnce(readings, now);
    if (failure != Failure::None)
        return false;
    forgetTroubles(m_file);
    return true;
}

UsageHistory::Failure UsageHistory::recordOnce(const QList<Reading> &readings, double now)
{
    if (m_deadline.hasExpired())
        return Failure::TooSlow;
    bool recorded = execute("BEGIN IMMEDIATE");
    for (qsizetype index = 0; recorded && index < readings.size(); ++index)
        recorded = recordReading(readings[index], now);
    if (recorded) {
        // Samples from before the kept time, or from far ahead of a clock that has been put back.
        Statement prune(m_database, "DELETE FROM readings WHERE at < ?1 OR at > ?2");
        prune.bind(1, now - double(keptFor.count()));
        prune.bind(2, now + double(keptFor.count()));
        recorded = prune.run() && execute("COMMIT");
    }
    if (recorded)
        return Failure::None;
    m_lastCode = sqlite3_errcode(m_database);
    execute("ROLLBACK");
    return lastFailure();
}

bool UsageHistory::recordReading(const Reading &reading, double now)
{
    Statement latest(m_database, "SELECT rowid, at, resets_at FROM readings WHERE provider = ?1 AND window_key = ?2 "
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
            Statement forget(m_database, "DELETE FROM readings WHERE provider = ?1 AND window_key = ?2");
            forget.bind(1, reading.provider);
            forget.bind(2, reading.window);
            if (!forget.run())
                return false;
        } else if (latestAt <= now && now - latestAt < double(sampleSpacing.count())) {
            // Within the minute: the sample keeps its time and takes the newest figure.
            Statement update(m_database, "UPDATE readings SET used = ?1, resets_at = ?2 WHERE rowid = ?3");
            update.bind(1, reading.usedPercent);
            update.bind(2, reading.resetsAt);
            update.bind(3, latest.integer(0));
            return update.run();
        }
    }
    Statement insert(m_database,
                     "INSERT INTO readings(provider, window_key, at, used, resets_at) VALUES(?1, ?2, ?3, ?4, ?5)");
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
    if (!m_database || m_deadline.hasExpired())
        return found;
    Statement query(m_database, "SELECT at, used FROM readings WHERE provider = ?1 AND window_key = ?2 "
                                "ORDER BY rowid DESC LIMIT ?3");
    query.bind(1, provider);
    query.bind(2, window);
    query.bind(3, sqlite3_int64(mostSamplesRead));
    int step;
    while ((step = query.step()) == SQLITE_ROW)
        found.append({query.number(0), query.number(1)});
    // Stopped part-way (the deadline passed): no trend rather than one from a part.
    if (step != SQLITE_DONE)
        return {};
    std::reverse(found.begin(), found.end());
    return found;
}
