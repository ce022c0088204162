// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarStore.h"

#include "BoundedWork.h"
#include "CalendarConsentPresenter.h"
#include "CalendarFileProcess.h"
#include "CalendarFileReader.h"
#include "CalendarSubscriptions.h"
#include "Defaults.h"
#include "KeychainCredentialStore.h"
#include "Paths.h"
#include "platform/SignalWait.h"

#include <QCoroTask>
#include <QCoroThread>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// How many calendar files are read side by side, each in a process of its own.
constexpr qsizetype readersAtOnce = 4;

const QString kFullAccess = QStringLiteral("fullAccess");
const QString kDenied = QStringLiteral("denied");

QString normalisedPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList storedList(const QString &key)
{
    QStringList values;
    for (const QJsonValue &value :
         QJsonDocument::fromJson(Defaults::stringValue(key).value_or(QString()).toUtf8()).array()) {
        if (value.isString())
            values.append(value.toString());
    }
    return values;
}

void storeList(const QString &key, const QStringList &values)
{
    if (values.isEmpty())
        Defaults::remove(key);
    else
        Defaults::setValue(
            key, QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact)));
}

// A local calendar of the calendar service is also a file in the desktop's calendar folder, named
// by the calendar's uid. While the service answers, it alone reads such a calendar, so that the
// service's switch is the one that counts.
bool isServiceCalendarFile(const QString &path, const QSet<QString> &serviceUids)
{
    const QFileInfo file(path);
    return file.absolutePath().startsWith(QDir(CalendarStore::desktopCalendarsDir()).absolutePath() +
                                          QLatin1Char('/')) &&
           serviceUids.contains(file.dir().dirName());
}

// Sorted by start (stable), and one entry for an event that two calendars both hold: the same UID
// starting at the same instant. Events without a UID are never taken for one another.
QList<CalendarEvent> merged(QList<CalendarEvent> events)
{
    std::stable_sort(events.begin(), events.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.start < b.start; });
    QSet<QPair<QString, qint64>> seen;
    QList<CalendarEvent> unique;
    for (const CalendarEvent &event : events) {
        if (!event.uid.isEmpty()) {
            const QPair<QString, qint64> key(event.uid, event.start.toMSecsSinceEpoch());
            if (seen.contains(key))
                continue;
            seen.insert(key);
        }
        unique.append(event);
    }
    return unique;
}

} // namespace

const QString CalendarStore::accessKey = QStringLiteral("calendarAccess");
const QString CalendarStore::switchedOffFilesKey = QStringLiteral("calendarSwitchedOffFiles");
const QString CalendarStore::switchedOffServiceCalendarsKey = QStringLiteral("calendarSwitchedOffServiceCalendars");

CalendarStore::CalendarStore(QObject *parent)
    : CalendarStore(std::make_shared<KeychainCredentialStore>(), parent)
{}

CalendarStore::CalendarStore(std::shared_ptr<CredentialStore> credentials, QObject *parent)
    : QObject(parent)
    , m_subscriptions(new CalendarSubscriptions(std::move(credentials), this))
    , m_serviceWork(new BoundedWork(this))
{}

CalendarStore::Authorization CalendarStore::authorization() const
{
    const QString stored = Defaults::stringValue(accessKey).value_or(QString());
    if (stored == kFullAccess)
        return Authorization::FullAccess;
    if (stored == kDenied)
        return Authorization::Denied;
    return Authorization::NotDetermined;
}

void CalendarStore::setAuthorization(Authorization authorization)
{
    if (authorization == this->authorization())
        return;
    switch (authorization) {
    case Authorization::FullAccess:
        Defaults::setValue(accessKey, kFullAccess);
        break;
    case Authorization::Denied:
        Defaults::setValue(accessKey, kDenied);
        break;
    case Authorization::NotDetermined:
        Defaults::remove(accessKey);
        break;
    }
    Q_EMIT authorizationChanged();
}

void CalendarStore::setConsentPresenter(CalendarConsentPresenter *presenter)
{
    m_presenter = presenter;
}

QCoro::Task<bool> CalendarStore::requestFullAccess()
{
    const Authorization current = authorization();
    if (current != Authorization::NotDetermined)
        co_return current == Authorization::FullAccess;
    if (m_asking) {
        // One question on screen at a time; a second caller waits for its answer.
        const std::optional<bool> granted = co_await nextSignal(this, &CalendarStore::accessRequestFinished);
        co_return granted.value_or(false);
    }
    co_return co_await askThroughPresenter();
}

QCoro::Task<bool> CalendarStore::askThroughPresenter()
{
    if (!m_presenter)
        co_return false;
    m_asking = true;
    const QPointer<CalendarStore> self(this);
    const std::optional<bool> answer = co_await m_presenter->askForCalendarAccess();
    if (!self)
        co_return answer.value_or(false);
    m_asking = false;
    if (answer.has_value())
        setAuthorization(*answer ? Authorization::FullAccess : Authorization::Denied);
    const bool granted = authorization() == Authorization::FullAccess;
    Q_EMIT accessRequestFinished(granted);
    co_return granted;
}

QString CalendarStore::tessarineCalendarsDir()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/calendars");
}

QString CalendarStore::desktopCalendarsDir()
{
    return Paths::applicationSupport() + QStringLiteral("/evolution/calendar");
}

QStringList CalendarStore::calendarFiles() const
{
    QStringList files;
    const QDir own(tessarineCalendarsDir());
    const QStringList ownNames =
        own.entryList({QStringLiteral("*.ics")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : ownNames)
        files.append(normalisedPath(own.filePath(name)));
    const QDir desktop(desktopCalendarsDir());
    for (const QString &folder : desktop.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString path = desktop.filePath(folder + QStringLiteral("/calendar.ics"));
        if (QFileInfo(path).isFile())
            files.append(normalisedPath(path));
    }
    return files;
}

QStringList CalendarStore::switchedOffFiles() const
{
    QStringList paths;
    for (const QString &path : storedList(switchedOffFilesKey))
        paths.append(normalisedPath(path));
    return paths;
}

void CalendarStore::setSwitchedOffFiles(const QStringList &paths)
{
    QStringList normalised;
    for (const QString &path : paths)
        normalised.append(normalisedPath(path));
    normalised.removeDuplicates();
    normalised.sort();
    if (normalised == switchedOffFiles())
        return;
    storeList(switchedOffFilesKey, normalised);
    Q_EMIT switchedOffFilesChanged();
}

bool CalendarStore::isSwitchedOff(const QString &path) const
{
    return switchedOffFiles().contains(normalisedPath(path));
}

QStringList CalendarStore::filesToRead() const
{
    const QStringList switchedOff = switchedOffFiles();
    QStringList files;
    for (const QString &path : calendarFiles()) {
        if (!switchedOff.contains(path))
            files.append(path);
    }
    return files;
}

QStringList CalendarStore::switchedOffServiceCalendars() const
{
    return storedList(switchedOffServiceCalendarsKey);
}

void CalendarStore::setServiceCalendarSwitchedOn(const QString &uid, bool on)
{
    QStringList switchedOff = switchedOffServiceCalendars();
    if (switchedOff.contains(uid) != on)
        return;
    if (on)
        switchedOff.removeAll(uid);
    else
        switchedOff.append(uid);
    switchedOff.sort();
    storeList(switchedOffServiceCalendarsKey, switchedOff);
    Q_EMIT switchedOffServiceCalendarsChanged();
}

QCoro::Task<QList<DesktopCalendarService::Calendar>> CalendarStore::serviceCalendars() const
{
    if (authorization() != Authorization::FullAccess)
        co_return {};
    const std::optional<QList<DesktopCalendarService::Calendar>> found =
        co_await m_serviceWork->run<QList<DesktopCalendarService::Calendar>>(&DesktopCalendarService::calendars,
                                                                             m_readBound);
    co_return found.value_or(QList<DesktopCalendarService::Calendar>());
}

QString CalendarStore::fileProblem(const QString &path) const
{
    return m_fileProblems.value(path);
}

QCoro::Task<QList<CalendarEvent>> CalendarStore::events(QDateTime from, QDateTime to)
{
    if (authorization() != Authorization::FullAccess)
        co_return {};
    const QPointer<CalendarStore> self(this);
    const QStringList subscribed = co_await m_subscriptions->fetchAll();
    if (!self)
        co_return {};

    // Parsing and expanding a large calendar can take a while, and the calendar service may be
    // slow to start, so neither happens on the GUI thread. Each file is read in a child process
    // of its own, all side by side, and a child that overruns the bound is killed: one bad file
    // costs only its own events, and its problem is kept for its row in the privacy dialog. The
    // calendar service is read on a worker thread; one that overruns is left to finish on its own,
    // and until it has, the service counts as not answering.
    const QStringList files = filesToRead() + subscribed;
    auto readService = m_serviceWork->run<DesktopCalendarService::Reading>(
        [switchedOff = switchedOffServiceCalendars(), from, to] {
            return DesktopCalendarService::read(from, to, switchedOff);
        },
        m_readBound);
    QList<CalendarEvent> fileEvents;
    QHash<QString, QString> problems;
    // A few readers at a time, all within the one bound: many calendars neither start a crowd
    // of processes at once nor stretch the refresh.
    const QDeadlineTimer deadline(m_readBound);
    for (qsizetype first = 0; first < files.size(); first += readersAtOnce) {
        const auto left = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
        std::vector<QCoro::Task<CalendarFileReader::FileReading>> reads;
        for (qsizetype index = first; index < std::min(files.size(), first + readersAtOnce); ++index)
            reads.push_back(CalendarFileProcess::read(files.at(index), from, to, left));
        for (size_t offset = 0; offset < reads.size(); ++offset) {
            const CalendarFileReader::FileReading reading = co_await std::move(reads[offset]);
            fileEvents += reading.events;
            if (!reading.problem.isEmpty())
                problems.insert(files.at(first + qsizetype(offset)), reading.problem);
        }
    }
    // Equal starts keep file order, then their order inside the file.
    std::stable_sort(fileEvents.begin(), fileEvents.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.start < b.start; });
    const DesktopCalendarService::Reading service =
        (co_await std::move(readService)).value_or(DesktopCalendarService::Reading());
    if (!self)
        co_return {};
    if (problems != self->m_fileProblems) {
        self->m_fileProblems = problems;
        Q_EMIT self->fileProblemsChanged();
    }

    QSet<QString> serviceUids;
    for (const DesktopCalendarService::Calendar &calendar : service.calendars)
        serviceUids.insert(calendar.uid);
    QList<CalendarEvent> all;
    for (const CalendarEvent &event : fileEvents) {
        if (!isServiceCalendarFile(event.calendar, serviceUids))
            all.append(event);
    }
    all += service.events;
    co_return merged(all);
}
