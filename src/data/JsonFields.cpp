// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonFields.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>

namespace JsonFields {

std::optional<QJsonValue> parse(const QByteArray &bytes)
{
    // QJsonDocument only takes an object or a list at the top; wrapping the text in a list lets
    // it read any value, and exactly one element means the text was exactly one value.
    QByteArray wrapped;
    wrapped.reserve(bytes.size() + 2);
    wrapped.append('[').append(bytes).append(']');
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray values = document.array();
    if (values.size() != 1)
        return std::nullopt;
    return values.first();
}

QJsonObject object(const QJsonValue &value)
{
    return value.isObject() ? value.toObject() : QJsonObject();
}

QJsonArray array(const QJsonValue &value)
{
    return value.isArray() ? value.toArray() : QJsonArray();
}

std::optional<QString> optionalString(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

QString string(const QJsonValue &value, const QString &fallback)
{
    return value.isString() ? value.toString() : fallback;
}

std::optional<double> number(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

std::optional<qint64> integer(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return variant.toLongLong();
    const double whole = value.toDouble();
    // 2^63 itself is out of range, so the upper bound is exclusive.
    if (!std::isfinite(whole) || std::trunc(whole) != whole || whole < -9.2233720368547758e18 ||
        whole >= 9.2233720368547758e18)
        return std::nullopt;
    return static_cast<qint64>(whole);
}

QJsonValue numberOrZero(const QJsonValue &value)
{
    return value.isDouble() ? value : QJsonValue(0);
}

} // namespace JsonFields
