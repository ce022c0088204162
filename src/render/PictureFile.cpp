// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFile.h"

#include "PngEncoder.h"

#include "platform/AtomicFile.h"

bool PictureFile::write(const QImage &picture, const QString &path, QString *error)
{
    const QByteArray png = PngEncoder::encode(picture);
    if (png.isEmpty()) {
        if (error)
            *error = QStringLiteral("The picture could not be encoded as PNG.");
        return false;
    }
    const QString problem = AtomicFile::write(path, png);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    return true;
}
