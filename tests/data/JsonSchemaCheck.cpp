// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonSchemaCheck.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace {

bool hasType(const QJsonValue &value, const QString &type)
{
    static const QHash<QString, QJsonValue::Type> kinds{{"string", QJsonValue::String}, {"boolean", QJsonValue::Bool},
                                                        {"object", QJsonValue::Object}, {"array", QJsonValue::Array},
                                                        {"null", QJsonValue::Null},     {"number", QJsonValue::Double}};
    if (type == QStringLiteral("integer"))
        return value.isDouble() && std::trunc(value.toDouble()) == value.toDouble();
    return kinds.contains(type) && value.type() == kinds.value(type);
}

} // namespace

JsonSchemaCheck::JsonSchemaCheck(QJsonObject root)
    : m_root(std::move(root))
{}

QStringList JsonSchemaCheck::problems(const QJsonValue &value) const
{
    QStringList found;
    check(value, m_root, QStringLiteral("$"), found);
    return found;
}

bool JsonSchemaCheck::fits(const QJsonValue &value, const QJsonValue &schema, const QStringList &outer) const
{
    QStringList found;
    check(value, schema, QString(), found, outer);
    return found.isEmpty();
}

void JsonSchemaCheck::check(const QJsonValue &value, const QJsonValue &schemaValue, const QString &path,
                            QStringList &found, const QStringList &outer) const
{
    if (schemaValue.isBool()) {
        if (!schemaValue.toBool())
            found.append(path + QStringLiteral(": not allowed"));
        return;
    }
    QJsonObject schema = schemaValue.toObject();
    while (schema.contains(QStringLiteral("$ref"))) {
        QJsonValue target = m_root;
        for (const QString &step : schema.value(QStringLiteral("$ref")).toString().mid(2).split(QLatin1Char('/')))
            target = target.toObject().value(step);
        schema = target.toObject();
    }
    const QJsonValue type = schema.value(QStringLiteral("type"));
    const QJsonArray types = type.isArray() ? type.toArray() : QJsonArray{type};
    if (!type.isUndefined() &&
        std::none_of(types.begin(), types.end(), [&](const QJsonValue &t) { return hasType(value, t.toString()); })) {
        found.append(path + QStringLiteral(": of another type"));
        return;
    }
    if (schema.contains(QStringLiteral("enum")) && !schema.value(QStringLiteral("enum")).toArray().contains(value))
        found.append(path + QStringLiteral(": not one of the allowed values"));
    const QJsonObject properties = schema.value(QStringLiteral("properties")).toObject();
    const QStringList declared = outer + properties.keys();
    for (const QJsonValue &part : schema.value(QStringLiteral("allOf")).toArray())
        check(value, part, path, found, declared);
    const auto fitting = [&](const QString &key) {
        const QJsonArray choices = schema.value(key).toArray();
        return std::count_if(choices.begin(), choices.end(),
                             [&](const QJsonValue &c) { return fits(value, c, declared); });
    };
    if (schema.contains(QStringLiteral("anyOf")) && fitting(QStringLiteral("anyOf")) == 0)
        found.append(path + QStringLiteral(": fits none of anyOf"));
    if (schema.contains(QStringLiteral("oneOf")) && fitting(QStringLiteral("oneOf")) != 1)
        found.append(path + QStringLiteral(": fits not exactly one of oneOf"));
    for (const QJsonValue &name : schema.value(QStringLiteral("required")).toArray()) {
        if (!value.toObject().contains(name.toString()))
            found.append(path + QStringLiteral(": misses ") + name.toString());
    }
    const QJsonValue additional = schema.value(QStringLiteral("additionalProperties"));
    const QJsonObject object = value.toObject();
    const bool declares = schema.contains(QStringLiteral("properties")) || !additional.isUndefined();
    for (auto member = object.begin(); member != object.end() && declares; ++member) {
        const QString at = path + QLatin1Char('.') + member.key();
        // Around a oneOf, anyOf or allOf the choices judge the members this level leaves out.
        const bool composite = schema.contains(QStringLiteral("oneOf")) || schema.contains(QStringLiteral("anyOf")) ||
                               schema.contains(QStringLiteral("allOf"));
        if (outer.contains(member.key()) || (composite && !properties.contains(member.key())))
            continue;
        if (properties.contains(member.key()) || !additional.isUndefined())
            check(member.value(), properties.contains(member.key()) ? properties.value(member.key()) : additional, at,
                  found);
        else
            found.append(at + QStringLiteral(": not in the protocol"));
    }
    const QJsonArray items = value.toArray();
    for (qsizetype index = 0; index < items.size() && schema.contains(QStringLiteral("items")); ++index)
        check(items[index], schema.value(QStringLiteral("items")), path + QStringLiteral("[%1]").arg(index), found);
}
