// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarStore.h"

#include "CalendarConsentPresenter.h"
#include "CalendarFileReader.h"
#include "Defaults.h"
#include "Paths.h"

#include <QCoroSignal>
#include <QCoroThread>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QThread>
#include <memory>

namespace {

const QString kFullAccess = QStringLiteral("fullAccess");
const QString kDenied = QStringLiteral("denied");

QString normalisedPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

const QString CalendarStore::accessKey = QStringLiteral("calendarAccess");
const QString CalendarStore::switchedOffFilesKey = QStringLiteral("calendarSwitchedOffFiles");

CalendarStore::CalendarStore(QObject *parent)
    : QObject(parent)
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
        const std::optional<bool> granted = co_await qCoro(this, &CalendarStore::accessRequestFinished);
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
    const QString stored = Defaults::stringValue(switchedOffFilesKey).value_or(QString());
    QStringList paths;
    for (const QJsonValue &value : QJsonDocument::fromJson(stored.toUtf8()).array()) {
        if (value.isString())
            paths.append(normalisedPath(value.toString()));
    }
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
    if (normalised.isEmpty()) {
        Defaults::remove(switchedOffFilesKey);
    } else {
        const QJsonDocument document(QJsonArray::fromStringList(normalised));
        Defaults::setValue(switchedOffFilesKey, QString::fromUtf8(document.toJson(QJsonDocument::Compact)));
    }
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

QCoro::Task<QList<CalendarEvent>> CalendarStore::events(QDateTime from, QDateTime to) const
{
    if (authorization() != Authorization::FullAccess)
        co_return {};
    // Parsing and expanding a large calendar can take a while, so it happens off the GUI thread.
    // Nothing below touches the store once the worker has started.
    auto result = std::make_shared<QList<CalendarEvent>>();
    std::unique_ptr<QThread> worker(QThread::create(
        [files = filesToRead(), from, to, result] { *result = CalendarFileReader::eventsInFiles(files, from, to); }));
    worker->start();
    co_await qCoro(worker.get()).waitForFinished();
    co_return *result;
}
