// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageTexts.h"

#include "ScreenFiles.h"
#include "platform/SmallFileReader.h"

#include <QDir>

QHash<QString, QString> PageTexts::read(const QString &screensDir, const QStringList &pageNames)
{
    QHash<QString, QString> texts;
    const QDir screens(screensDir);
    for (const QString &pageName : pageNames) {
        if (pageName.contains(u'/') || texts.contains(pageName))
            continue;
        const SmallFileReader::Result file =
            SmallFileReader::read(screens.filePath(ScreenFiles::textFileName(pageName)), largestText);
        if (file.ok())
            texts.insert(pageName, QString::fromUtf8(file.bytes));
    }
    return texts;
}
