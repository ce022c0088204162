// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Reads the members of one JSON object by name, for the records' decoders. A required member
// that is missing, or any member of the wrong JSON type, marks the whole read as failed, so a
// record either decodes in full or not at all. Optional members accept absence and null alike;
// members nobody asks for are ignored.
class JsonReader
{
public:
    explicit JsonReader(const QJsonValue &value);

    bool ok() const { return m_ok; }

    QString string(QStringView key);
    std::optional<QString> optionalString(QStringView key);
    bool boolean(QStringView key);
    QList<double> numbers(QStringView key);
    QStringList strings(QStringView key);
    std::optional<QStringList> optionalStrings(QStringView key);
    // An array whose items are strings or nulls (a page's slots).
    QList<std::optional<QString>> stringsOrNulls(QStringView key);

    template<typename T, typename Decode>
    QList<T> records(QStringView key, Decode decode)
    {
        return recordsIn<T>(required(key).toArray(), decode);
    }

    template<typename T, typename Decode>
    std::optional<QList<T>> optionalRecords(QStringView key, Decode decode)
    {
        const QJsonValue value = optional(key, QJsonValue::Array);
        if (value.isNull())
            return std::nullopt;
        return recordsIn<T>(value.toArray(), decode);
    }

    template<typename T, typename Decode>
    std::optional<T> optionalRecord(QStringView key, Decode decode)
    {
        const QJsonValue value = optional(key, QJsonValue::Object);
        if (value.isNull())
            return std::nullopt;
        std::optional<T> record = decode(value);
        if (!record)
            m_ok = false;
        return record;
    }

private:
    // The member when it has the expected type; otherwise marks the read failed and returns null.
    QJsonValue required(QStringView key, QJsonValue::Type type = QJsonValue::Array);
    // Null when the member is absent or null; otherwise as required().
    QJsonValue optional(QStringView key, QJsonValue::Type type);
    QStringList stringsIn(const QJsonArray &array);

    template<typename T, typename Decode>
    QList<T> recordsIn(const QJsonArray &array, Decode decode)
    {
        QList<T> list;
        list.reserve(array.size());
        for (const QJsonValue &item : array) {
            std::optional<T> record = decode(item);
            if (!record) {
                m_ok = false;
                return {};
            }
            list.append(std::move(*record));
        }
        return list;
    }

    QJsonObject m_object;
    bool m_ok = true;
};
