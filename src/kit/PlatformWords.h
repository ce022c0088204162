#pragma once

#include <QList>
#include <QString>

// The few words of the program's texts that name another desktop platform's things, and what a
// Linux desktop calls them. Texts that mention them are written in their original wording and
// passed through apply(), so the whole vocabulary change lives in this one table.
namespace PlatformWords {

struct Replacement
{
    QString original;
    QString local;
};

const QList<Replacement> &table();

// The text with every original wording of the table replaced, longest wordings first so that a
// phrase wins over a word it contains.
QString apply(const QString &text);

} // namespace PlatformWords
