// SPDX-License-Identifier: GPL-3.0-or-later
#include "SmallFileReader.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

SmallFileReader::Result SmallFileReader::read(const QString &path, qint64 maxBytes)
{
    // Opened without waiting (a named pipe would wait for a writer) and checked on the opened
    // file itself, so a file swapped for something else after a look at its name is still caught.
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOENT || (error == ENOTDIR && !QFile::exists(path)))
            return {Outcome::missing, {}, {}};
        return {Outcome::failed, {}, error == EISDIR ? QStringLiteral("it is a folder") : systemReason(error)};
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return {Outcome::failed, {}, file.errorString()};
    }
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0)
        return {Outcome::failed, {}, systemReason(errno)};
    if (S_ISDIR(status.st_mode))
        return {Outcome::failed, {}, QStringLiteral("it is a folder")};
    if (!S_ISREG(status.st_mode))
        return {Outcome::failed, {}, QStringLiteral("it is not a regular file")};
    if (status.st_size > maxBytes)
        return {Outcome::tooLarge, {}, {}};
    // One byte past the size seen, so a file that grew meanwhile is noticed rather than cut short.
    QByteArray bytes = file.read(status.st_size + 1);
    if (bytes.size() > status.st_size)
        return {Outcome::failed, {}, QStringLiteral("it changed while it was read")};
    if (file.error() != QFileDevice::NoError)
        return {Outcome::failed, {}, file.errorString()};
    return {Outcome::read, std::move(bytes), {}};
}
