// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

// Checks a JSON value against a JSON schema (draft 7, the parts a protocol's generated schema
// uses: $ref within the document, type, enum, properties, required, additionalProperties, items,
// anyOf, oneOf, allOf). Stricter than the standard on one point: a member the schema does not
// declare is a finding unless additionalProperties allows it, so a stand-in cannot invent a
// field the real protocol does not have.
class JsonSchemaCheck
{
public:
    explicit JsonSchemaCheck(QJsonObject root);

    // Every finding, each with the path of the value it is about; empty when the value fits.
    QStringList problems(const QJsonValue &value) const;

private:
    void check(const QJsonValue &value, const QJsonValue &schema, const QString &path, QStringList &found) const;
    void checkObject(const QJsonObject &value, const QJsonObject &schema, const QString &path,
                     QStringList &found) const;
    int matchingCount(const QJsonValue &value, const QJsonValue &choices, const QString &path) const;
    QJsonObject resolved(const QJsonObject &schema) const;
    static bool hasType(const QJsonValue &value, const QString &type);

    QJsonObject m_root;
};
