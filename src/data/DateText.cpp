// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateText.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace DateText {

QString withFraction(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

std::optional<QDateTime> parseInternetDateTime(const QString &text)
{
    // Qt's ISO reader also takes dates alone, fractions and zone-less (local) times, which
    // would read a different instant than the writer meant; only the strict form is accepted.
    static const QRegularExpression strict(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(Z|[+-]\d{2}:?\d{2})$)"),
        QRegularExpression::CaseInsensitiveOption);
    if (!strict.match(text).hasMatch())
        return std::nullopt;
    const QDateTime parsed = QDateTime::fromString(text.toUpper(), Qt::ISODate);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed;
}

} // namespace DateText
