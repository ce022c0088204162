// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageTexts.h"

#include "ScreenFiles.h"
#include "kit/SmallFileReader.h"

#include <QDir>

QHash<QString, QString> PageTexts::read(const QString &screensDir, const QStringList &views)
{
    QHash<QString, QString> texts;
    const QDir screens(screensDir);
    for (const QString &view : views) {
        if (view.contains(u'/') || texts.contains(view))
            continue;
        const SmallFileReader::Result file =
            SmallFileReader::read(screens.filePath(ScreenFiles::textFileName(view)), largestText);
        if (file.ok())
            texts.insert(view, QString::fromUtf8(file.bytes));
    }
    return texts;
}
