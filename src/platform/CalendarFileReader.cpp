// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarFileReader.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QTime>
#include <QTimeZone>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <libical/ical.h>

namespace {

using CalendarFileReader::maxFileBytes;
using CalendarFileReader::maxLineBytes;
// Bounds on recurrence expansion, so that a rule such as FREQ=SECONDLY, or one that never reaches
// the window, cannot stall a refresh: steps of one rule, steps of one whole read, and occurrences
// of one event inside the window.
constexpr int kMaxStepsPerRule = 200'000;
constexpr qint64 kMaxStepsPerRead = 5'000'000;
constexpr qsizetype kMaxOccurrencesPerEvent = 1'000;
constexpr qsizetype kMaxOccurrencesPerFile = 200'000;

struct ComponentDeleter
{
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct ParserDeleter
{
    void operator()(icalparser *parser) const { icalparser_free(parser); }
};
using ParserPtr = std::unique_ptr<icalparser, ParserDeleter>;

struct IteratorDeleter
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};
using IteratorPtr = std::unique_ptr<icalrecur_iterator, IteratorDeleter>;

// libical walks children and properties with one iterator per component, so nested walks over the
// same component would disturb each other; these take a snapshot first.
std::vector<icalcomponent *> childrenOf(icalcomponent *parent, icalcomponent_kind kind)
{
    std::vector<icalcomponent *> children;
    for (icalcomponent *child = icalcomponent_get_first_component(parent, kind); child;
         child = icalcomponent_get_next_component(parent, kind))
        children.push_back(child);
    return children;
}

std::vector<icalproperty *> propertiesOf(icalcomponent *component, icalproperty_kind kind)
{
    std::vector<icalproperty *> properties;
    for (icalproperty *property = icalcomponent_get_first_property(component, kind); property;
         property = icalcomponent_get_next_property(component, kind))
        properties.push_back(property);
    return properties;
}

// Splits the text into unfolded content lines and hands each to libical's parser. libical's own
// line reader copies a long physical line over and over and slows down with the square of its
// length; unfolding here touches every byte once. Returns the top-level components in file order;
// a component the text ends inside of is dropped.
std::vector<ComponentPtr> parseComponents(QByteArray text)
{
    // Lines ended by a carriage return alone (old Mac files) are lines all the same.
    if (text.contains('\r')) {
        text.replace("\r\n", "\n");
        text.replace('\r', '\n');
    }
    std::vector<ComponentPtr> components;
    ParserPtr parser(icalparser_new());
    if (!parser)
        return components;
    QByteArray line;
    bool lineTooLong = false;
    auto finishLine = [&] {
        if (!line.isEmpty() && !lineTooLong) {
            // icalparser_add_line reads the line but does not keep it.
            if (icalcomponent *component = icalparser_add_line(parser.get(), line.data()))
                components.emplace_back(component);
        }
        line.clear();
        lineTooLong = false;
    };
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        qsizetype length = end - start;
        if (length > 0 && text[start + length - 1] == '\r')
            --length;
        const bool continuation = length > 0 && (text[start] == ' ' || text[start] == '\t');
        if (!continuation)
            finishLine();
        const qsizetype from = continuation ? start + 1 : start;
        const qsizetype count = continuation ? length - 1 : length;
        if (line.size() + count > maxLineBytes) {
            lineTooLong = true;
            line.clear();
        } else if (!lineTooLong) {
            line.append(text.constData() + from, count);
        }
        start = end + 1;
    }
    finishLine();
    return components;
}

} // namespace

bool CalendarFileReader::looksLikeICalendar(const QByteArray &text)
{
    QByteArray head = text.left(64);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    return head.trimmed().toUpper().startsWith("BEGIN:VCALENDAR");
}

namespace {

// Gives a time the zone its TZID names: the calendar's own VTIMEZONE first, then libical's
// built-in zones. A TZID that names no known zone leaves the time floating, read as local time.
icaltimetype withZone(icaltimetype time, icalproperty *property, icalcomponent *calendar)
{
    if (time.is_date || time.zone)
        return time;
    icalparameter *parameter = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char *tzid = parameter ? icalparameter_get_tzid(parameter) : nullptr;
    if (!tzid || !*tzid)
        return time;
    icaltimezone *zone = icalcomponent_get_timezone(calendar, tzid);
    if (!zone)
        zone = icaltimezone_get_builtin_timezone(tzid);
    if (!zone)
        zone = icaltimezone_get_builtin_timezone_from_tzid(tzid);
    time.zone = zone;
    return time;
}

QDate dateOf(const icaltimetype &time)
{
    return QDate(time.year, time.month, time.day);
}

QDateTime localMidnight(const QDate &date)
{
    return QDateTime(date, QTime(0, 0));
}

// The instant a time stands for: dates are local midnight, floating times local wall-clock time.
QDateTime toDateTime(const icaltimetype &time)
{
    const QDate date = dateOf(time);
    if (!date.isValid())
        return {};
    if (time.is_date)
        return localMidnight(date);
    if (time.zone)
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone), QTimeZone::utc());
    const QTime clock(time.hour, time.minute, std::min(time.second, 59));
    return clock.isValid() ? QDateTime(date, clock) : QDateTime();
}

// libical drops a property with an empty value and leaves an X-LIC-ERROR note in its place; an
// empty SUMMARY is still a title, just an empty one, so the note is looked for.
bool hadEmptySummary(icalcomponent *event)
{
    static const QByteArray note = QByteArrayLiteral("No value for SUMMARY property");
    for (icalproperty *error : propertiesOf(event, ICAL_XLICERROR_PROPERTY)) {
        const char *text = icalproperty_get_xlicerror(error);
        if (text && QByteArray(text).startsWith(note))
            return true;
    }
    return false;
}

std::optional<QString> titleOf(icalcomponent *event)
{
    icalproperty *summary = icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY);
    if (!summary)
        return hadEmptySummary(event) ? std::optional<QString>(QString()) : std::nullopt;
    const char *text = icalproperty_get_summary(summary);
    return QString::fromUtf8(text ? text : "");
}

// What every occurrence of an event shares.
struct EventShape
{
    icaltimetype start{}; // DTSTART with its zone
    bool allDay = false;
    qint64 seconds = 0; // length of a timed event
    qint64 days = 1;    // length of an all-day event
    std::optional<QString> title;
    QString uid;
};

void readLength(EventShape &shape, icalcomponent *event, icalcomponent *calendar)
{
    if (icalproperty *end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        const icaltimetype dtend = withZone(icalproperty_get_dtend(end), end, calendar);
        if (shape.allDay) {
            shape.days = dateOf(shape.start).daysTo(dateOf(dtend));
        } else {
            const QDateTime endTime = toDateTime(dtend);
            shape.seconds = endTime.isValid() ? toDateTime(shape.start).secsTo(endTime) : 0;
        }
    } else if (icalproperty *duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const qint64 seconds = icaldurationtype_as_int(icalproperty_get_duration(duration));
        if (shape.allDay)
            shape.days = seconds / 86400;
        else
            shape.seconds = seconds;
    }
    // An end before the start is read as no length at all.
    shape.days = std::max<qint64>(shape.days, 1);
    shape.seconds = std::max<qint64>(shape.seconds, 0);
}

std::optional<EventShape> shapeOf(icalcomponent *event, icalcomponent *calendar)
{
    icalproperty *start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!start)
        return std::nullopt;
    EventShape shape;
    shape.start = withZone(icalproperty_get_dtstart(start), start, calendar);
    if (icaltime_is_null_time(shape.start) || !toDateTime(shape.start).isValid())
        return std::nullopt;
    shape.allDay = shape.start.is_date;
    shape.title = titleOf(event);
    const char *uid = icalcomponent_get_uid(event);
    shape.uid = QString::fromUtf8(uid ? uid : "");
    readLength(shape, event, calendar);
    return shape;
}

// Identifies one occurrence within its event, the way EXDATE and RECURRENCE-ID name it: the day
// for dates, the instant for date-times.
qint64 occurrenceKey(const icaltimetype &time)
{
    if (time.is_date)
        return dateOf(time).toJulianDay();
    const QDateTime instant = toDateTime(time);
    return instant.isValid() ? instant.toSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

// Collects one event's occurrences that touch the window, leaving out excluded ones and doubles.
class Occurrences
{
public:
    Occurrences(const EventShape &shape, const QDateTime &from, const QDateTime &to)
        : m_shape(shape)
        , m_from(from)
        , m_to(to)
    {}

    void excludeKey(qint64 key) { m_excludedKeys.insert(key); }
    // Leaves out whatever occurrence falls on the day: how a date-only EXDATE reads, and how any
    // EXDATE of an all-day event reads.
    void excludeDay(const QDate &day) { m_excludedDays.insert(day); }

    // False once nothing later can be wanted: the occurrence starts at or after the window's end
    // (rules yield occurrences in order), or the event has given as many as it may.
    bool add(icaltimetype time)
    {
        time.is_date = m_shape.allDay;
        if (m_events.size() >= kMaxOccurrencesPerEvent)
            return false;
        const CalendarEvent event = occurrenceAt(time);
        if (!event.start.isValid())
            return true;
        if (event.start >= m_to)
            return false;
        if (!touchesWindow(event) || isExcluded(time))
            return true;
        const qint64 key = occurrenceKey(time);
        if (!m_added.contains(key)) {
            m_added.insert(key);
            m_events.append(event);
        }
        return true;
    }

    QList<CalendarEvent> events() const { return m_events; }

private:
    CalendarEvent occurrenceAt(const icaltimetype &time) const
    {
        CalendarEvent event;
        event.title = m_shape.title;
        event.uid = m_shape.uid;
        event.allDay = m_shape.allDay;
        if (m_shape.allDay) {
            event.start = localMidnight(dateOf(time));
            event.end = localMidnight(dateOf(time).addDays(m_shape.days));
        } else {
            event.start = toDateTime(time);
            event.end = event.start.addSecs(m_shape.seconds);
        }
        return event;
    }

    // Starts inside the window, or started earlier and is still running when it opens.
    bool touchesWindow(const CalendarEvent &event) const
    {
        return event.start < m_to && (event.start >= m_from || event.end > m_from);
    }

    bool isExcluded(const icaltimetype &time) const
    {
        return m_excludedKeys.contains(occurrenceKey(time)) || m_excludedDays.contains(dateOf(time));
    }

    const EventShape &m_shape;
    const QDateTime m_from;
    const QDateTime m_to;
    QSet<qint64> m_excludedKeys;
    QSet<QDate> m_excludedDays;
    QSet<qint64> m_added;
    QList<CalendarEvent> m_events;
};

class CalendarReader
{
public:
    CalendarReader(const QDateTime &from, const QDateTime &to)
        : m_from(from)
        , m_to(to)
    {}

    // Reads one file; the returned text says what was wrong with it, empty when nothing was.
    QString readFile(const QString &path)
    {
        m_path = path;
        // Opening a named pipe would wait for a writer, so only regular files are opened.
        const QFileInfo info(path);
        if (!info.exists())
            return QStringLiteral("The file is missing.");
        if (!info.isFile())
            return QStringLiteral("It is not a regular file, so it was not read.");
        const QString tooLarge = QStringLiteral("It is larger than %1 MB, so it was not read.")
                                     .arg(CalendarFileReader::maxFileBytes / (1024 * 1024));
        if (info.size() > maxFileBytes)
            return tooLarge;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("It could not be read (%1).").arg(file.errorString());
        const QByteArray text = file.read(maxFileBytes + 1);
        if (text.size() > maxFileBytes)
            return tooLarge;
        if (!CalendarFileReader::looksLikeICalendar(text))
            return QStringLiteral("It is not an iCalendar file.");
        // A file may hold several calendars one after another.
        for (const ComponentPtr &component : parseComponents(text)) {
            if (icalcomponent_isa(component.get()) == ICAL_VCALENDAR_COMPONENT)
                readCalendar(component.get());
        }
        return m_problem;
    }

    // Sorted by start; the sort is stable, so equal starts keep the order they were read in.
    QList<CalendarEvent> sortedEvents() const
    {
        QList<CalendarEvent> events = m_events;
        std::stable_sort(events.begin(), events.end(),
                         [](const CalendarEvent &a, const CalendarEvent &b) { return a.start < b.start; });
        // However many a file holds, only the earliest are handed on.
        if (events.size() > kMaxOccurrencesPerFile)
            events.resize(kMaxOccurrencesPerFile);
        return events;
    }

private:
    void readCalendar(icalcomponent *calendar)
    {
        refuseEndlessTimeZones(calendar);
        const std::vector<icalcomponent *> events = childrenOf(calendar, ICAL_VEVENT_COMPONENT);
        const QHash<QByteArray, QSet<qint64>> moved = movedOccurrences(events, calendar);
        for (icalcomponent *event : events) {
            const bool isMovedOccurrence = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            readEvent(event, calendar, isMovedOccurrence ? QSet<qint64>() : moved.value(uidOf(event)));
        }
    }

    // A time zone changes its offset at most a few times a year; one whose rule repeats more often
    // would have libical expand (and keep) every change up to the window, which grows without
    // end. Such a zone is taken out, and the times that name it read as the built-in zone of
    // that name, or as local time.
    void refuseEndlessTimeZones(icalcomponent *calendar)
    {
        for (icalcomponent *zone : childrenOf(calendar, ICAL_VTIMEZONE_COMPONENT)) {
            if (!hasEndlessRule(zone))
                continue;
            icalcomponent_remove_component(calendar, zone);
            icalcomponent_free(zone);
            m_problem = QStringLiteral("A time zone in it changes more often than once a year, so Tessarine "
                                       "left that zone out.");
        }
    }

    static bool hasEndlessRule(icalcomponent *zone)
    {
        for (icalcomponent *observance : childrenOf(zone, ICAL_ANY_COMPONENT)) {
            for (icalproperty *rule : propertiesOf(observance, ICAL_RRULE_PROPERTY)) {
                const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
                if (recurrence.freq != ICAL_YEARLY_RECURRENCE && recurrence.freq != ICAL_NO_RECURRENCE)
                    return true;
            }
        }
        return false;
    }

    static bool isSet(const short *byPart) { return byPart[0] != ICAL_RECURRENCE_ARRAY_MAX; }

    // Rules libical can only expand by trying every second or minute in turn: a rule that repeats
    // every second, or every minute or hour but only on some days or months, may spend hours
    // looking for an instance that never comes (the 30th of February).
    static bool expandsBySearching(const icalrecurrencetype &rule)
    {
        if (rule.freq == ICAL_SECONDLY_RECURRENCE)
            return true;
        if (rule.freq != ICAL_MINUTELY_RECURRENCE && rule.freq != ICAL_HOURLY_RECURRENCE)
            return false;
        return isSet(rule.by_month) || isSet(rule.by_month_day) || isSet(rule.by_year_day) || isSet(rule.by_week_no);
    }

    static QByteArray uidOf(icalcomponent *event)
    {
        const char *uid = icalcomponent_get_uid(event);
        return QByteArray(uid ? uid : "");
    }

    // A VEVENT with a RECURRENCE-ID replaces one occurrence of the recurring event with the same
    // UID; the recurring event must then leave that occurrence out. Keyed by UID.
    static QHash<QByteArray, QSet<qint64>> movedOccurrences(const std::vector<icalcomponent *> &events,
                                                            icalcomponent *calendar)
    {
        QHash<QByteArray, QSet<qint64>> moved;
        for (icalcomponent *event : events) {
            icalproperty *recurrenceId = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            if (recurrenceId) {
                const icaltimetype time = withZone(icalproperty_get_recurrenceid(recurrenceId), recurrenceId, calendar);
                moved[uidOf(event)].insert(occurrenceKey(time));
            }
        }
        return moved;
    }

    void readEvent(icalcomponent *event, icalcomponent *calendar, const QSet<qint64> &movedKeys)
    {
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return;
        const std::optional<EventShape> shape = shapeOf(event, calendar);
        if (!shape)
            return;
        Occurrences occurrences(*shape, m_from, m_to);
        for (const qint64 key : movedKeys)
            occurrences.excludeKey(key);
        excludeDates(event, calendar, *shape, occurrences);
        occurrences.add(shape->start);
        for (icalproperty *rule : propertiesOf(event, ICAL_RRULE_PROPERTY))
            expandRule(icalproperty_get_rrule(rule), *shape, occurrences);
        addRecurrenceDates(event, calendar, occurrences);
        for (CalendarEvent &occurrence : occurrences.events()) {
            occurrence.calendar = m_path;
            m_events.append(occurrence);
        }
    }

    static void excludeDates(icalcomponent *event, icalcomponent *calendar, const EventShape &shape,
                             Occurrences &occurrences)
    {
        for (icalproperty *exdate : propertiesOf(event, ICAL_EXDATE_PROPERTY)) {
            const icaltimetype time = withZone(icalproperty_get_exdate(exdate), exdate, calendar);
            if (time.is_date || shape.allDay)
                occurrences.excludeDay(dateOf(time));
            else
                occurrences.excludeKey(occurrenceKey(time));
        }
    }

    void expandRule(const icalrecurrencetype &rule, const EventShape &shape, Occurrences &occurrences)
    {
        if (rule.freq == ICAL_NO_RECURRENCE)
            return;
        if (expandsBySearching(rule)) {
            m_problem = QStringLiteral("An event in it repeats every second or searches minute by minute, so "
                                       "only its first time is shown.");
            return;
        }
        IteratorPtr iterator(icalrecur_iterator_new(rule, shape.start));
        if (!iterator)
            return;
        for (int step = 0; step < kMaxStepsPerRule && m_stepsLeft > 0; ++step, --m_stepsLeft) {
            icaltimetype time = icalrecur_iterator_next(iterator.get());
            if (icaltime_is_null_time(time))
                return;
            time.zone = shape.start.zone;
            if (!occurrences.add(time))
                return;
        }
    }

    static void addRecurrenceDates(icalcomponent *event, icalcomponent *calendar, Occurrences &occurrences)
    {
        for (icalproperty *rdate : propertiesOf(event, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
            const icaltimetype time = icaltime_is_null_time(value.time) ? value.period.start : value.time;
            if (!icaltime_is_null_time(time))
                occurrences.add(withZone(time, rdate, calendar));
        }
    }

    const QDateTime m_from;
    const QDateTime m_to;
    qint64 m_stepsLeft = kMaxStepsPerRead;
    QString m_path;
    QString m_problem;
    QList<CalendarEvent> m_events;
};

} // namespace

namespace CalendarFileReader {

bool isTooLarge(const QString &path)
{
    return QFileInfo(path).size() > maxFileBytes;
}

namespace {

QMutex &libicalLock()
{
    static QMutex lock;
    return lock;
}

} // namespace

FileReading readFile(const QString &path, const QDateTime &from, const QDateTime &to)
{
    if (!from.isValid() || !to.isValid() || !(from < to))
        return {};
    const QMutexLocker locker(&libicalLock());
    // A malformed file must never abort the program.
    icalerror_set_errors_are_fatal(0);
    CalendarReader reader(from, to);
    FileReading reading;
    reading.problem = reader.readFile(path);
    reading.events = reader.sortedEvents();
    return reading;
}

QList<CalendarEvent> eventsInFiles(const QStringList &paths, const QDateTime &from, const QDateTime &to)
{
    if (!from.isValid() || !to.isValid() || !(from < to))
        return {};
    const QMutexLocker locker(&libicalLock());
    // A malformed file must never abort the program.
    icalerror_set_errors_are_fatal(0);
    CalendarReader reader(from, to);
    for (const QString &path : paths)
        reader.readFile(path);
    return reader.sortedEvents();
}

} // namespace CalendarFileReader
