// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The pages' texts a refresh leaves beside their pictures ("page0.txt", …): each page in words,
// in reading order, for screen readers and for copying. One text a page serves every look.
class PageTexts
{
public:
    // Far longer than any page's words; a larger file is not a page's text.
    static constexpr qint64 largestText = 1024 * 1024;

    PageTexts() = delete;

    // The texts of `pageNames` in `screensDir`, keyed by page name; pages whose text is missing or
    // unreadable are left out, as are names that would leave the directory.
    static QHash<QString, QString> read(const QString &screensDir, const QStringList &pageNames);
};
