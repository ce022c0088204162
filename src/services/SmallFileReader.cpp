#include "SmallFileReader.h"

#include <QFile>
#include <QFileInfo>

SmallFileReader::Result SmallFileReader::read(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {Outcome::missing, {}, {}};
    // Only regular files: opening a named pipe would wait for a writer, a device may never end.
    if (info.isDir())
        return {Outcome::failed, {}, QStringLiteral("it is a folder")};
    if (!info.isFile())
        return {Outcome::failed, {}, QStringLiteral("it is not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Outcome::failed, {}, file.errorString()};
    if (file.size() > maxBytes)
        return {Outcome::tooLarge, {}, {}};
    // One byte past the size seen, so a file that grew meanwhile is noticed rather than cut short.
    QByteArray bytes = file.read(file.size() + 1);
    if (bytes.size() > file.size())
        return {Outcome::failed, {}, QStringLiteral("it changed while it was read")};
    if (file.error() != QFileDevice::NoError)
        return {Outcome::failed, {}, file.errorString()};
    return {Outcome::read, std::move(bytes), {}};
}
