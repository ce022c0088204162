// SPDX-License-Identifier: GPL-3.0-or-later
// Times CalendarFileReader on calendars with one long content line of 1, 2, 4 and 8 MB (written
// as one physical line and folded at 75 octets) and on files of many small events, and prints the
// median of a few rounds for each, with the time per megabyte: the latter stays flat when the
// reading is linear in the input.
#include "platform/CalendarFileReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int rounds = 3;

QByteArray folded(const QByteArray &line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 25);
    for (qsizetype i = 0; i < line.size(); i += 74) {
        if (i > 0)
            out += ' ';
        out += line.mid(i, 74) + "\r\n";
    }
    return out;
}

QByteArray longLineCalendar(qsizetype bytes, bool fold)
{
    const QByteArray line = "DESCRIPTION:" + QByteArray(bytes, 'a');
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:long@bench\r\nSUMMARY:Long\r\n"
           "DTSTART:20300101T090000Z\r\n" +
           (fold ? folded(line) : line + "\r\n") + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray manyEvents(int count)
{
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < count; ++i)
        text += "BEGIN:VEVENT\r\nUID:e" + QByteArray::number(i) +
                "@bench\r\nSUMMARY:Event\r\nDTSTART:20300101T090000Z\r\nEND:VEVENT\r\n";
    return text + "END:VCALENDAR\r\n";
}

double medianSeconds(const QString &path)
{
    const QDateTime from(QDate(2030, 1, 1), QTime(0, 0), QTimeZone::utc());
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        CalendarFileReader::eventsInFiles({path}, from, from.addDays(7));
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void measure(const QTemporaryDir &dir, const char *label, const QByteArray &text)
{
    const QString path = dir.filePath(QStringLiteral("bench.ics"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return;
    file.close();
    const double seconds = medianSeconds(path);
    const double megabytes = text.size() / (1024.0 * 1024.0);
    std::printf("%-28s %7.1f MB  %8.3f s  %7.3f s/MB\n", label, megabytes, seconds, seconds / megabytes);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    for (const int megabytes : {1, 2, 4, 8}) {
        const QByteArray unfoldedLabel = QByteArray::number(megabytes) + " MB line, one line";
        const QByteArray foldedLabel = QByteArray::number(megabytes) + " MB line, folded";
        measure(dir, unfoldedLabel.constData(), longLineCalendar(megabytes * 1024 * 1024, false));
        measure(dir, foldedLabel.constData(), longLineCalendar(megabytes * 1024 * 1024, true));
    }
    for (const int count : {25'000, 50'000, 100'000}) {
        const QByteArray label = QByteArray::number(count) + " events";
        measure(dir, label.constData(), manyEvents(count));
    }
    return 0;
}
