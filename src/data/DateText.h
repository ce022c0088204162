// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// The date-time texts of the data document and of the replies it is built from.
namespace DateText {

// ISO 8601 internet date-time in UTC with milliseconds, for example 2026-03-01T09:15:42.120Z.
QString withFraction(const QDateTime &time);

// Reads an ISO 8601 internet date-time without fractional seconds ("2026-03-01T09:15:42Z" or
// with a "+01:00" offset); none for anything else.
std::optional<QDateTime> parseInternetDateTime(const QString &text);

} // namespace DateText
