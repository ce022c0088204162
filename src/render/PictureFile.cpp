// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFile.h"

#include "PngEncoder.h"

#include <QSaveFile>

bool PictureFile::write(const QImage &picture, const QString &path, QString *error)
{
    const QByteArray png = PngEncoder::encode(picture);
    if (png.isEmpty()) {
        if (error)
            *error = QStringLiteral("The picture could not be encoded as PNG.");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
