// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// Writes a page picture as PNG, atomically: the old file stays in place until the new one is
// complete.
class PictureFile
{
public:
    // False with a readable reason when the picture cannot be encoded or written.
    static bool write(const QImage &picture, const QString &path, QString *error = nullptr);
};
