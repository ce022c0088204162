// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonSchemaCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

JsonSchemaCheck::JsonSchemaCheck(QJsonObject root)
    : m_root(std::move(root))
{}

QStringList JsonSchemaCheck::problems(const QJsonValue &value) const
{
    QStringList found;
    check(value, m_root, QStringLiteral("$"), found);
    return found;
}

QJsonObject JsonSchemaCheck::resolved(const QJsonObject &schema) const
{
    const QString ref = schema.value(QStringLiteral("$ref")).toString();
    if (!ref.startsWith(QStringLiteral("#/")))
        return schema;
    QJsonValue target = m_root;
    for (const QString &step : ref.mid(2).split(QLatin1Char('/')))
        target = target.toObject().value(step);
    return resolved(target.toObject());
}

bool JsonSchemaCheck::hasType(const QJsonValue &value, const QString &type)
{
    if (type == QStringLiteral("integer"))
        return value.isDouble() && std::trunc(value.toDouble()) == value.toDouble();
    if (type == QStringLiteral("number"))
        return value.isDouble();
    if (type == QStringLiteral("string"))
        return value.isString();
    if (type == QStringLiteral("boolean"))
        return value.isBool();
    if (type == QStringLiteral("object"))
        return value.isObject();
    if (type == QStringLiteral("array"))
        return value.isArray();
    return type == QStringLiteral("null") && value.isNull();
}

int JsonSchemaCheck::matchingCount(const QJsonValue &value, const QJsonValue &choices, const QString &path) const
{
    int matching = 0;
    for (const QJsonValue &choice : choices.toArray()) {
        QStringList found;
        check(value, choice, path, found);
        matching += found.isEmpty() ? 1 : 0;
    }
    return matching;
}

void JsonSchemaCheck::check(const QJsonValue &value, const QJsonValue &schemaValue, const QString &path,
                            QStringList &found) const
{
    // `true` allows anything.
    if (schemaValue.isBool()) {
        if (!schemaValue.toBool())
            found.append(path + QStringLiteral(": not allowed"));
        return;
    }
    const QJsonObject schema = resolved(schemaValue.toObject());
    const QJsonValue type = schema.value(QStringLiteral("type"));
    if (!type.isUndefined()) {
        const QJsonArray types = type.isArray() ? type.toArray() : QJsonArray{type};
        const bool fits =
            std::any_of(types.begin(), types.end(), [&](const QJsonValue &t) { return hasType(value, t.toString()); });
        if (!fits) {
            found.append(path + QStringLiteral(": not of type ") +
                         QString::fromUtf8(QJsonDocument(QJsonArray{type}).toJson(QJsonDocument::Compact)));
            return;
        }
    }
    if (schema.contains(QStringLiteral("enum")) && !schema.value(QStringLiteral("enum")).toArray().contains(value))
        found.append(path + QStringLiteral(": not one of the allowed values"));
    for (const QJsonValue &part : schema.value(QStringLiteral("allOf")).toArray())
        check(value, part, path, found);
    if (schema.contains(QStringLiteral("anyOf")) &&
        matchingCount(value, schema.value(QStringLiteral("anyOf")), path) == 0)
        found.append(path + QStringLiteral(": fits none of anyOf"));
    if (schema.contains(QStringLiteral("oneOf")) &&
        matchingCount(value, schema.value(QStringLiteral("oneOf")), path) != 1)
        found.append(path + QStringLiteral(": does not fit exactly one of oneOf"));
    if (value.isObject() &&
        (schema.contains(QStringLiteral("properties")) || schema.contains(QStringLiteral("required"))))
        checkObject(value.toObject(), schema, path, found);
    if (value.isArray() && schema.contains(QStringLiteral("items"))) {
        const QJsonArray items = value.toArray();
        for (qsizetype index = 0; index < items.size(); ++index)
            check(items[index], schema.value(QStringLiteral("items")), path + QStringLiteral("[%1]").arg(index), found);
    }
}

void JsonSchemaCheck::checkObject(const QJsonObject &value, const QJsonObject &schema, const QString &path,
                                  QStringList &found) const
{
    const QJsonObject properties = schema.value(QStringLiteral("properties")).toObject();
    for (const QJsonValue &name : schema.value(QStringLiteral("required")).toArray()) {
        if (!value.contains(name.toString()))
            found.append(path + QStringLiteral(": misses ") + name.toString());
    }
    const QJsonValue additional = schema.value(QStringLiteral("additionalProperties"));
    for (auto member = value.begin(); member != value.end(); ++member) {
        const QString at = path + QLatin1Char('.') + member.key();
        if (properties.contains(member.key()))
            check(member.value(), properties.value(member.key()), at, found);
        else if (additional.isObject() || additional.isBool())
            check(member.value(), additional, at, found);
        else
            found.append(at + QStringLiteral(": not in the protocol"));
    }
}
