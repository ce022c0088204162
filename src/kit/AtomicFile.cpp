// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString writeThroughSaveFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason.isEmpty() ? QStringLiteral("the file could not be written") : reason;
}

// QSaveFile would resolve the link and replace its target; a new file renamed over the link
// replaces the link itself. The new file is made under a fresh name with O_EXCL (so it can be no
// one else's link either) and mode 0666 less the umask, as QSaveFile would make it.
QString replaceLink(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString temporary = info.dir().filePath(
            QStringLiteral(".%1.%2").arg(info.fileName(), QString::number(QRandomGenerator::global()->generate(), 36)));
        const QByteArray temporaryName = QFile::encodeName(temporary);
        const int descriptor = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        QFile file;
        file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        const bool written = file.write(bytes) == bytes.size() && file.flush() && ::fsync(descriptor) == 0;
        const QString reason = file.errorString();
        file.close();
        if (!written) {
            ::unlink(temporaryName.constData());
            return reason;
        }
        if (std::rename(temporaryName.constData(), QFile::encodeName(path).constData()) != 0) {
            const QString renameReason = QString::fromLocal8Bit(std::strerror(errno));
            ::unlink(temporaryName.constData());
            return renameReason;
        }
        return {};
    }
    return QStringLiteral("no free name for a temporary file");
}

} // namespace

QString AtomicFile::write(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo(path).isSymLink())
        return replaceLink(path, bytes);
    return writeThroughSaveFile(path, bytes);
}
