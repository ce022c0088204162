// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Edits members of a JSON object in the text it was written as and leaves every other byte
// alone. A round trip through QJsonDocument would change what the user wrote: numbers beyond
// 2^53 lose digits (12345678901234567890 comes back as 12345678901234567000), and key order,
// layout and duplicate keys are lost. Editing the text keeps them all.
//
// The text must hold one valid JSON object; callers check it with QJsonDocument first.
class JsonObjectText
{
public:
    explicit JsonObjectText(QByteArray text);

    QByteArray text() const { return m_text; }

    // The JSON text of the member's value (of the last member of that key, which is the one a
    // parser keeps); none when there is no such member.
    std::optional<QByteArray> value(const QString &key) const;

    // Gives the member this JSON value text: every member of that key is replaced (the others
    // of the same key go), or a new member is added at the start of the object.
    void set(const QString &key, const QByteArray &jsonValue);

    // Gives the last member of that key (the one a parser keeps) exactly this value text, as it
    // stands: for a value that came from this file, whose lines already carry their indentation.
    // Earlier members of the key are left alone. Without such a member, the same as set().
    void setVerbatim(const QString &key, const QByteArray &jsonValue);

    // Takes out every member of that key.
    void remove(const QString &key);

    // A string as JSON text, quotes and escapes included.
    static QByteArray quoted(const QString &text);

private:
    struct Member
    {
        QString key;
        qsizetype start = 0;      // the key's opening quote
        qsizetype valueStart = 0; // the value's first byte
        qsizetype valueEnd = 0;   // one past the value's last byte
    };
    struct Layout
    {
        qsizetype open = 0;  // the object's "{"
        qsizetype close = 0; // its "}"
        QList<Member> members;
    };

    Layout layout() const;
    qsizetype skipSpace(qsizetype index) const;
    qsizetype stringEnd(qsizetype index) const;
    qsizetype valueEnd(qsizetype index) const;
    QByteArray indentAt(qsizetype index) const;
    QByteArray indented(QByteArray value, const QByteArray &indent) const;
    void removeMember(const Layout &object, qsizetype index);

    QByteArray m_text;
};
