// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QStringList>

// Checks a JSON value against a generated protocol schema (draft 7: local $ref, type, enum,
// properties, required, additionalProperties, items, anyOf, oneOf, allOf). Stricter than the
// standard: a member the schema does not declare is a finding, so a stand-in cannot invent one.
class JsonSchemaCheck
{
public:
    explicit JsonSchemaCheck(QJsonObject root);
    // Every finding with the path of the value it is about; empty when the value fits.
    QStringList problems(const QJsonValue &value) const;

private:
    // `outer` are the members a schema around this one declares (beside its oneOf, anyOf, allOf).
    void check(const QJsonValue &value, const QJsonValue &schema, const QString &path, QStringList &found,
               const QStringList &outer = {}) const;
    bool fits(const QJsonValue &value, const QJsonValue &schema, const QStringList &outer) const;

    QJsonObject m_root;
};
