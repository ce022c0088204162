// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole regular file that is expected to be small (a settings file, a report), telling a
// missing file apart from one that exists but cannot be read, and refusing anything over a size
// limit so that a runaway file never stalls the GUI thread. Every file a user or another program
// can put in Tessarine's way is read through it: a named pipe would wait for a writer for ever,
// and a device such as /dev/zero never ends.
class SmallFileReader
{
public:
    enum class Outcome
    {
        read,
        missing,
        tooLarge,
        failed
    };

    struct Result
    {
        Outcome outcome = Outcome::missing;
        QByteArray bytes; // only when read
        QString error;    // the system's reason, only when failed

        bool ok() const { return outcome == Outcome::read; }
    };

    SmallFileReader() = delete;

    static Result read(const QString &path, qint64 maxBytes);
};
