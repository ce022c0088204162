// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonReader.h"

JsonReader::JsonReader(const QJsonValue &value)
    : m_object(value.toObject())
    , m_ok(value.isObject())
{}

QString JsonReader::string(QStringView key)
{
    return required(key, QJsonValue::String).toString();
}

std::optional<QString> JsonReader::optionalString(QStringView key)
{
    const QJsonValue value = optional(key, QJsonValue::String);
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

bool JsonReader::boolean(QStringView key)
{
    return required(key, QJsonValue::Bool).toBool();
}

QList<double> JsonReader::numbers(QStringView key)
{
    const QJsonArray array = required(key).toArray();
    QList<double> list;
    list.reserve(array.size());
    for (const QJsonValue &item : array) {
        if (!item.isDouble()) {
            m_ok = false;
            return {};
        }
        list.append(item.toDouble());
    }
    return list;
}

QStringList JsonReader::strings(QStringView key)
{
    return stringsIn(required(key).toArray());
}

std::optional<QStringList> JsonReader::optionalStrings(QStringView key)
{
    const QJsonValue value = optional(key, QJsonValue::Array);
    if (value.isNull())
        return std::nullopt;
    return stringsIn(value.toArray());
}

QList<std::optional<QString>> JsonReader::stringsOrNulls(QStringView key)
{
    const QJsonArray array = required(key).toArray();
    QList<std::optional<QString>> list;
    list.reserve(array.size());
    for (const QJsonValue &item : array) {
        if (item.isNull()) {
            list.append(std::nullopt);
        } else if (item.isString()) {
            list.append(item.toString());
        } else {
            m_ok = false;
            return {};
        }
    }
    return list;
}

QJsonValue JsonReader::required(QStringView key, QJsonValue::Type type)
{
    const QJsonValue value = m_object.value(key);
    if (value.type() != type) {
        m_ok = false;
        return QJsonValue::Null;
    }
    return value;
}

QJsonValue JsonReader::optional(QStringView key, QJsonValue::Type type)
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined() || value.isNull())
        return QJsonValue::Null;
    return required(key, type);
}

QStringList JsonReader::stringsIn(const QJsonArray &array)
{
    QStringList list;
    list.reserve(array.size());
    for (const QJsonValue &item : array) {
        if (!item.isString()) {
            m_ok = false;
            return {};
        }
        list.append(item.toString());
    }
    return list;
}
