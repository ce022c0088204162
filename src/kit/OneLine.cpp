// SPDX-License-Identifier: GPL-3.0-or-later
#include "OneLine.h"

#include <algorithm>

namespace {

// Characters that separate words keep a space in their place, so words never run together.
bool separates(QChar character)
{
    return character.isSpace() || character.category() == QChar::Separator_Line ||
           character.category() == QChar::Separator_Paragraph;
}

bool dropped(QChar character)
{
    const QChar::Category category = character.category();
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

} // namespace

QString OneLine::of(const QString &text, qsizetype maxLength)
{
    QString line;
    line.reserve(std::min(text.size(), maxLength + 1));
    bool pendingSpace = false;
    for (qsizetype index = 0; index < text.size() && line.size() <= maxLength; ++index) {
        const QChar character = text.at(index);
        if (separates(character)) {
            pendingSpace = !line.isEmpty();
            continue;
        }
        if (dropped(character))
            continue;
        if (pendingSpace) {
            line += QLatin1Char(' ');
            pendingSpace = false;
        }
        line += character;
    }
    if (line.size() <= maxLength)
        return line;
    qsizetype cut = maxLength - 1;
    // Never split a surrogate pair.
    if (cut > 0 && line.at(cut - 1).isHighSurrogate())
        --cut;
    return line.left(cut).trimmed() + QStringLiteral("\u2026");
}
