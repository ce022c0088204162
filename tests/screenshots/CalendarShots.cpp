// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar privacy dialog as a user with several kinds of calendars meets it: calendar files,
// one subscription that is fetched fine, one whose server stopped answering, and one switched off.

#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "platform/CalendarStore.h"
#include "platform/CalendarSubscriptions.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/common/CalendarPrivacyDialog.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

using ScreenshotSupport::save;
using ScreenshotSupport::settle;

namespace {

const QByteArray kCalendar = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n";

// What fetches would have left behind, written the way the subscriptions keep it.
void recordState(const QString &id, const QDateTime &fetchedAt, const QDateTime &failingSince, const QString &problem)
{
    const QJsonObject state{{"etag", ""},
                            {"lastModified", ""},
                            {"fetchedAt", fetchedAt.toString(Qt::ISODate)},
                            {"failingSince", failingSince.isValid() ? failingSince.toString(Qt::ISODate) : QString()},
                            {"problem", problem}};
    TestSupport::writeFile(CalendarSubscriptions::cacheDir() + "/" + id + ".json", QJsonDocument(state).toJson());
    TestSupport::writeFile(CalendarSubscriptions::cachedCopy(id), kCalendar);
}

} // namespace

int main(int argc, char *argv[])
{
    // The usual folders under the throw-away home, so the dialog names them as a user reads them
    // ("~/.local/share/…").
    const QByteArray home = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", QByteArray(home + "/.local/share"));
    qputenv("XDG_CACHE_HOME", QByteArray(home + "/.cache"));
    QApplication application(argc, argv);
    Defaults::setValue(CalendarStore::accessKey, QStringLiteral("fullAccess"));
    TestSupport::writeFile(CalendarStore::tessarineCalendarsDir() + "/Bank holidays.ics", kCalendar);
    TestSupport::writeFile(CalendarStore::desktopCalendarsDir() + "/system-calendar/calendar.ics", kCalendar);

    CalendarStore store(std::make_shared<InMemoryCredentialStore>(), nullptr);
    CalendarSubscriptions &subscriptions = store.subscriptions();
    const QString work =
        QCoro::waitFor(subscriptions.add("Work", "https://calendar.example.org/ical/private-2b7c/basic.ics"));
    const QString family = QCoro::waitFor(subscriptions.add("Family", "webcal://p42-caldav.example.com/published/2/x"));
    const QString football =
        QCoro::waitFor(subscriptions.add("Football fixtures", "https://fixtures.example.net/club.ics"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    recordState(work, now.addSecs(-600), {}, {});
    recordState(family, now.addDays(-2), now.addDays(-1).addSecs(-3 * 3600),
                "its server did not answer within 15 seconds");
    subscriptions.setEnabled(football, false);
    Q_EMIT subscriptions.statesChanged();

    CalendarPrivacyDialog dialog(store);
    dialog.resize(560, 720);
    dialog.show();
    settle(600);
    return save(&dialog, QStringLiteral("calendar-privacy")) ? 0 : 1;
}
