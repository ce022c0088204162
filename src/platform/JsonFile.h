// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonValue>
#include <QString>
#include <functional>
#include <optional>

class QJsonDocument;

// Reading and writing the program's JSON files (catalogue, settings, manifest). Reading never
// fails loudly: a missing, unreadable, oversized or malformed file is simply "no value", and the
// caller falls back to its defaults. Writing is atomic, so a crash mid-write never leaves a
// half-written file behind.
namespace JsonFile {

// Far larger than any file the program writes or ships; a bigger file is treated as unreadable
// rather than read whole into memory.
inline constexpr qint64 defaultMaxBytes = 64 * 1024 * 1024;

// The top-level object or array of the file; none when the file cannot be read, is not a
// regular file, is larger than maxBytes, or is not JSON (Qt's parser also refuses documents
// nested more than 1024 deep).
std::optional<QJsonValue> read(const QString &path, qint64 maxBytes = defaultMaxBytes);

// The top-level object or array of JSON text; none when it is not JSON.
std::optional<QJsonValue> parse(const QByteArray &bytes);

// Keeps a file that is there but does not hold what `accepts` takes (unreadable, not JSON, or
// JSON of another shape) beside itself as "<name>.unreadable-<yyyyMMdd-HHmmss>", so that the
// write that follows loses nothing of a hand-edited file with a typo in it. Returns the name it
// now has, or an empty string when it was left (a missing or good file).
QString setAsideUnreadable(const QString &path, const std::function<bool(const QJsonValue &)> &accepts);

// Writes the document pretty-printed (object keys come out sorted at every level, as
// QJsonObject keeps them sorted) through a temporary file that then replaces the target (a
// symbolic link at the name included, see AtomicFile). Returns false on any failure; the old
// file, if any, is then left as it was.
bool writePretty(const QString &path, const QJsonDocument &document);

} // namespace JsonFile
