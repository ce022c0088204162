// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarText.h"

namespace CalendarText {

QByteArray stamp(const QDateTime &time)
{
    return time.toUTC().toString(u"yyyyMMdd'T'HHmmss'Z'").toLatin1();
}

QByteArray calendar(const QByteArray &events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessarine tests//EN\r\n" + events + "END:VCALENDAR\r\n";
}

QByteArray event(const QByteArray &uid, const QByteArray &lines)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines + "END:VEVENT\r\n";
}

QByteArray timedEvent(const QByteArray &uid, const QDateTime &start, const std::optional<QByteArray> &summary)
{
    QByteArray lines = "DTSTART:" + stamp(start) + "\r\nDTEND:" + stamp(start.addSecs(1800)) + "\r\n";
    if (summary)
        lines += "SUMMARY:" + *summary + "\r\n";
    return event(uid, lines);
}

} // namespace CalendarText
