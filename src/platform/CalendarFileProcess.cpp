// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarFileProcess.h"

#include "ChildEnvironment.h"
#include "platform/SignalWait.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QProcess>
#include <QTimeZone>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char childMarker[] = "TESSARINE_CALENDAR_READER_CHILD";
// The request is a path and two instants: small.
constexpr qint64 maxRequestBytes = 64 * 1024;

const QString tookTooLong = QStringLiteral("Reading it took too long, so its events were left out.");
const QString readerFailed = QStringLiteral("Reading it failed (it may need more memory than Tessarine allows), so "
                                            "its events were left out.");

QJsonValue instant(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(double(time.toMSecsSinceEpoch())) : QJsonValue();
}

QDateTime instantFrom(const QJsonValue &value, bool local)
{
    if (!value.isDouble())
        return {};
    const auto milliseconds = qint64(value.toDouble());
    return local ? QDateTime::fromMSecsSinceEpoch(milliseconds)
                 : QDateTime::fromMSecsSinceEpoch(milliseconds, QTimeZone::utc());
}

QByteArray readAll(int descriptor, qint64 limit)
{
    QByteArray bytes;
    char buffer[4096];
    while (bytes.size() <= limit) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        bytes.append(buffer, count);
    }
    return bytes;
}

// The child's side: one request on standard input, one answer on standard output.
int runChild()
{
#if !defined(__SANITIZE_ADDRESS__)
    // A sanitizer reserves far more address space than this; the limit is for the real program.
    const rlimit memory{rlim_t(CalendarFileProcess::maxChildMemoryBytes),
                        rlim_t(CalendarFileProcess::maxChildMemoryBytes)};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    const QJsonObject request = QJsonDocument::fromJson(readAll(STDIN_FILENO, maxRequestBytes)).object();
    const QString path = request.value(QStringLiteral("path")).toString();
    const QDateTime from = instantFrom(request.value(QStringLiteral("from")), false);
    const QDateTime to = instantFrom(request.value(QStringLiteral("to")), false);
    const QByteArray answer = CalendarFileProcess::encode(CalendarFileReader::readFile(path, from, to));
    qsizetype written = 0;
    while (written < answer.size()) {
        const ssize_t count = ::write(STDOUT_FILENO, answer.constData() + written, size_t(answer.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return 1;
        written += count;
    }
    return 0;
}

// Runs before main() of whatever program this is linked into: a process started as a reader
// reads and leaves, without building the rest of the program.
struct ChildEntry
{
    ChildEntry()
    {
        if (qEnvironmentVariableIsSet(childMarker))
            ::_exit(runChild());
    }
};
const ChildEntry childEntry;

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment environment = ChildEnvironment::minimal();
    environment.insert(QString::fromLatin1(childMarker), QStringLiteral("1"));
    return environment;
}

// Waits, without blocking, until the process has ended (or failed to start); false when the bound
// passed first. The short steps also notice a start that failed, which emits no finished().
QCoro::Task<bool> ended(QProcess &process, std::chrono::milliseconds bound)
{
    const QDeadlineTimer deadline(bound);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired())
            co_return false;
        const auto step = std::chrono::milliseconds(std::clamp<qint64>(deadline.remainingTime(), 1, 200));
        co_await nextSignal(&process, &QProcess::finished, step);
    }
    co_return true;
}

CalendarFileReader::FileReading failed(const QString &problem)
{
    return {{}, problem};
}

} // namespace

namespace CalendarFileProcess {

QByteArray encode(const CalendarFileReader::FileReading &reading)
{
    QJsonArray events;
    for (const CalendarEvent &event : reading.events) {
        events.append(QJsonObject{{QStringLiteral("title"), event.title ? QJsonValue(*event.title) : QJsonValue()},
                                  {QStringLiteral("uid"), event.uid},
                                  {QStringLiteral("calendar"), event.calendar},
                                  {QStringLiteral("start"), instant(event.start)},
                                  {QStringLiteral("end"), instant(event.end)},
                                  {QStringLiteral("allDay"), event.allDay}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("events"), events}, {QStringLiteral("problem"), reading.problem}})
        .toJson(QJsonDocument::Compact);
}

std::optional<CalendarFileReader::FileReading> decode(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject answer = document.object();
    CalendarFileReader::FileReading reading;
    reading.problem = answer.value(QStringLiteral("problem")).toString();
    for (const QJsonValue &value : answer.value(QStringLiteral("events")).toArray()) {
        const QJsonObject object = value.toObject();
        CalendarEvent event;
        const QJsonValue title = object.value(QStringLiteral("title"));
        if (title.isString())
            event.title = title.toString();
        event.uid = object.value(QStringLiteral("uid")).toString();
        event.calendar = object.value(QStringLiteral("calendar")).toString();
        event.allDay = object.value(QStringLiteral("allDay")).toBool();
        // All-day events are local midnights, as the reader made them.
        event.start = instantFrom(object.value(QStringLiteral("start")), event.allDay);
        event.end = instantFrom(object.value(QStringLiteral("end")), event.allDay);
        if (event.start.isValid())
            reading.events.append(event);
    }
    return reading;
}

QCoro::Task<CalendarFileReader::FileReading> read(QString path, QDateTime from, QDateTime to,
                                                  std::chrono::milliseconds bound)
{
    if (!from.isValid() || !to.isValid() || !(from < to))
        co_return CalendarFileReader::FileReading();
    QProcess process;
    process.setProgram(QStringLiteral("/proc/self/exe"));
    process.setProcessEnvironment(childEnvironment());
    process.setStandardErrorFile(QProcess::nullDevice());
    // The reader dies with Tessarine, and one started after Tessarine died leaves at once.
    const pid_t tessarine = ::getpid();
    process.setChildProcessModifier([tessarine] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != tessarine)
            ::_exit(127);
    });
    QByteArray answer;
    bool overflowed = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        answer += process.readAllStandardOutput();
        if (answer.size() > maxAnswerBytes && !overflowed) {
            overflowed = true;
            process.kill();
        }
    });
    process.start();
    const QByteArray request = QJsonDocument(QJsonObject{{QStringLiteral("path"), path},
                                                         {QStringLiteral("from"), instant(from)},
                                                         {QStringLiteral("to"), instant(to)}})
                                   .toJson(QJsonDocument::Compact);
    process.write(request);
    process.closeWriteChannel();

    if (!co_await ended(process, bound)) {
        process.kill();
        co_await ended(process, std::chrono::milliseconds(5000));
        co_return failed(tookTooLong);
    }
    if (process.error() == QProcess::FailedToStart)
        co_return failed(QStringLiteral("The calendar reader could not be started (%1).").arg(process.errorString()));
    answer += process.readAllStandardOutput();
    if (overflowed || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        co_return failed(readerFailed);
    const std::optional<CalendarFileReader::FileReading> reading = decode(answer);
    if (!reading)
        co_return failed(readerFailed);
    co_return *reading;
}

} // namespace CalendarFileProcess
