// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file in one step: the bytes go to a new file beside it, which then takes the
// file's name, so a crash or a kill never leaves half a file. A symbolic link at the name is
// replaced as well, never written through: a link planted in Tessarine's own folders must not
// let a refresh overwrite whatever file it points at, and a dangling one must not fail every
// write.
class AtomicFile
{
public:
    AtomicFile() = delete;

    // Writes the bytes at path. On failure the old file, if any, is left as it was and the
    // reason is returned; on success the returned text is empty.
    [[nodiscard]] static QString write(const QString &path, const QByteArray &bytes);
};
