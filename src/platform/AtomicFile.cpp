// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<int> flushFailure{0};

const QString diskFullStart = QStringLiteral("Not enough disk space to save ");

QString shown(const QString &path)
{
    return QStringLiteral("“") + QDir::toNativeSeparators(path) + QStringLiteral("”");
}

QString failure(const QString &path, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return diskFullStart + shown(path) + QLatin1Char('.');
    return QStringLiteral("Tessarine couldn’t save %1 (%2).")
        .arg(shown(path), QString::fromLocal8Bit(std::strerror(error)));
}

mode_t modeOf(QFileDevice::Permissions permissions)
{
    mode_t mode = 0;
    const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR}, {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
        {QFileDevice::ReadGroup, S_IRGRP}, {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
        {QFileDevice::ReadOther, S_IROTH}, {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH},
    };
    for (const auto &[permission, bit] : bits) {
        if (permissions.testFlag(permission))
            mode |= bit;
    }
    return mode;
}

// The whole buffer, through short writes and interruptions; errno tells why when it fails.
bool writeAll(int descriptor, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool flushToDisk(int descriptor)
{
    if (const int injected = flushFailure.load()) {
        errno = injected;
        return false;
    }
    return ::fsync(descriptor) == 0;
}

// The rename is made durable too, so that after a power cut the name holds the old file or the
// new one. A folder that cannot be synced (some file systems refuse) changes nothing.
void syncFolder(const QByteArray &folder)
{
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// The name of this writer's temporary files beside `name`, as a pattern.
QRegularExpression leftoverPattern(const QString &name)
{
    const QString escaped = QRegularExpression::escape(name);
    // Ours: ".<name>.<base 36>"; the Qt writer used before: "<name>.<six letters or digits>".
    return QRegularExpression(QStringLiteral("^(\\.%1\\.[0-9a-z]{1,13}|%1\\.[0-9A-Za-z]{6})$").arg(escaped));
}

bool firstWriteOf(const QString &path)
{
    static QMutex mutex;
    static QSet<QString> seen;
    const QMutexLocker lock(&mutex);
    if (seen.contains(path))
        return false;
    seen.insert(path);
    return true;
}

} // namespace

QString AtomicFile::write(const QString &path, const QByteArray &bytes)
{
    return replace(path, bytes, std::nullopt);
}

QString AtomicFile::write(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions)
{
    return replace(path, bytes, permissions);
}

bool AtomicFile::isDiskFull(const QString &message)
{
    return message.startsWith(diskFullStart);
}

void AtomicFile::setFlushFailureForTesting(int error)
{
    flushFailure.store(error);
}

int AtomicFile::removeLeftovers(const QString &path)
{
    const QFileInfo target(path);
    const QRegularExpression pattern = leftoverPattern(target.fileName());
    const QDateTime aMinuteAgo = QDateTime::currentDateTimeUtc().addSecs(-60);
    QDir folder = target.dir();
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!pattern.match(name).hasMatch())
            continue;
        const QFileInfo leftover(folder.filePath(name));
        // Only plain files: a link or a pipe of that name is not something a write left.
        if (leftover.isSymLink() || !leftover.isFile() || leftover.lastModified().toUTC() > aMinuteAgo)
            continue;
        if (folder.remove(name))
            ++removed;
    }
    return removed;
}

// The new file is made under a fresh name with O_EXCL (so it can be no one else's link), filled,
// flushed and closed, each step checked; only a complete file is renamed over the target, which
// replaces a link at the name rather than its target.
QString AtomicFile::replace(const QString &path, const QByteArray &bytes,
                            std::optional<QFileDevice::Permissions> permissions)
{
    const QFileInfo info(path);
    if (firstWriteOf(info.absoluteFilePath()))
        removeLeftovers(path);
    const QByteArray target = QFile::encodeName(path);
    std::optional<mode_t> mode;
    if (permissions) {
        mode = modeOf(*permissions);
    } else {
        struct stat existing = {};
        if (::lstat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode))
            mode = existing.st_mode & 07777;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString temporary = info.dir().filePath(
            QStringLiteral(".%1.%2").arg(info.fileName(), QString::number(QRandomGenerator::global()->generate(), 36)));
        const QByteArray temporaryName = QFile::encodeName(temporary);
        const int descriptor = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            return failure(path, errno);
        const bool complete =
            writeAll(descriptor, bytes) && (!mode || ::fchmod(descriptor, *mode) == 0) && flushToDisk(descriptor);
        const int error = errno;
        // Some file systems report a full disk only when the file is closed.
        const bool closed = ::close(descriptor) == 0;
        if (!complete || !closed) {
            const int reason = complete ? errno : error;
            ::unlink(temporaryName.constData());
            return failure(path, reason);
        }
        if (std::rename(temporaryName.constData(), target.constData()) != 0) {
            const int reason = errno;
            ::unlink(temporaryName.constData());
            return failure(path, reason);
        }
        syncFolder(QFile::encodeName(info.absolutePath()));
        return {};
    }
    return QStringLiteral("Tessarine couldn’t save %1 (no free name for a temporary file).").arg(shown(path));
}
