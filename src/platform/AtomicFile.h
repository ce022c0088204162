// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// The one writer of every file Tessarine keeps or edits. The bytes go to a new file beside the
// target, are flushed to the disk (fsync) and only then take the target's name, so a crash, a
// kill or a full disk never leaves half a file or an empty one: on any failure the old file is
// left exactly as it was. A symbolic link at the name is replaced as well, never written
// through: a link planted in Tessarine's own folders must not let a refresh overwrite whatever
// file it points at, and a dangling one must not fail every write.
//
// A full disk often shows only when buffered data reaches it (at the flush, or even at close),
// which is why every one of those steps is checked rather than the write alone.
class AtomicFile
{
public:
    AtomicFile() = delete;

    // Writes the bytes at path. On success the returned text is empty; on failure it is a
    // sentence for the user saying what happened ("Not enough disk space to save “…”."), and the
    // old file, if any, is left as it was. A new file gets the mode 0666 less the umask; a file
    // that is replaced keeps its mode.
    [[nodiscard]] static QString write(const QString &path, const QByteArray &bytes);
    // The same, with the file's mode set to `permissions` whether or not it existed.
    [[nodiscard]] static QString write(const QString &path, const QByteArray &bytes,
                                       QFileDevice::Permissions permissions);

    // Whether a message from write() says the disk was full, for callers that word it their way.
    static bool isDiskFull(const QString &message);

    // Removes what writes killed half-way left beside `path`: the temporary files of this writer
    // (and of the Qt writer used before it) for that name, when older than a minute, so that a
    // write running at this moment in another Tessarine process is never touched. Returns how
    // many were removed. write() calls it once per target name and process.
    static int removeLeftovers(const QString &path);

    // For tests: every flush to the disk fails with this errno value (ENOSPC, say) until it is
    // set back to 0, as it would on a full or failing disk.
    static void setFlushFailureForTesting(int error);

private:
    static QString replace(const QString &path, const QByteArray &bytes,
                           std::optional<QFileDevice::Permissions> permissions);
};
