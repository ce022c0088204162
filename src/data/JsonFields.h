// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

// Readers for replies of outside tools and services, which may miss any field or hold any
// type: every reader has a fixed fallback, so a mistyped field never fails a read.
namespace JsonFields {

// Parses any JSON text, including a bare number, string or literal at the top; none when the
// bytes are not exactly one JSON value.
std::optional<QJsonValue> parse(const QByteArray &bytes);

// The value as an object / list; empty when it is something else.
QJsonObject object(const QJsonValue &value);
QJsonArray array(const QJsonValue &value);

// The value as a string; none (or the fallback) when it is something else.
std::optional<QString> optionalString(const QJsonValue &value);
QString string(const QJsonValue &value, const QString &fallback = QString());

// A JSON number (integer or floating point; true and false are not numbers).
std::optional<double> number(const QJsonValue &value);

// A JSON number with a whole value that fits 64 bits.
std::optional<qint64> integer(const QJsonValue &value);

// The value itself when it is a number (keeping its integer or floating kind), else 0.
QJsonValue numberOrZero(const QJsonValue &value);

} // namespace JsonFields
