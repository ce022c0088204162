// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonObjectText.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

bool isSpace(char character)
{
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

// A key's JSON text ("...", escapes and all) as the string it stands for.
QString decodedKey(const QByteArray &json)
{
    return QJsonDocument::fromJson('[' + json + ']').array().first().toString();
}

// A UTF-8 byte-order mark, which Qt's parser (and many editors) accept before the object.
const QByteArray byteOrderMark("\xEF\xBB\xBF");

} // namespace

JsonObjectText::JsonObjectText(QByteArray text)
    : m_text(std::move(text))
{}

// Every line of a multi-line value after the first starts at the member's own indentation, and
// lines end as the file's own do (a file written on Windows keeps its CRLF line ends).
QByteArray JsonObjectText::indented(QByteArray value, const QByteArray &indent) const
{
    while (value.endsWith('\n'))
        value.chop(1);
    const QByteArray lineEnd = m_text.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    value.replace(QByteArrayLiteral("\r\n"), QByteArrayLiteral("\n"));
    return value.replace(QByteArrayLiteral("\n"), QByteArray(lineEnd + indent));
}

void JsonObjectText::setVerbatim(const QString &key, const QByteArray &jsonValue)
{
    const Layout object = layout();
    for (auto member = object.members.crbegin(); member != object.members.crend(); ++member) {
        if (member->key == key) {
            m_text.replace(member->valueStart, member->valueEnd - member->valueStart, jsonValue);
            return;
        }
    }
    set(key, jsonValue);
}

QByteArray JsonObjectText::quoted(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

std::optional<QByteArray> JsonObjectText::value(const QString &key) const
{
    const Layout object = layout();
    for (auto member = object.members.crbegin(); member != object.members.crend(); ++member) {
        if (member->key == key)
            return m_text.mid(member->valueStart, member->valueEnd - member->valueStart);
    }
    return std::nullopt;
}

void JsonObjectText::set(const QString &key, const QByteArray &jsonValue)
{
    // Duplicates go first, from the front, so that the member that stays is the last one.
    while (true) {
        const Layout object = layout();
        qsizetype first = -1;
        qsizetype count = 0;
        for (qsizetype index = 0; index < object.members.size(); ++index) {
            if (object.members[index].key == key) {
                if (first < 0)
                    first = index;
                ++count;
            }
        }
        if (count <= 1)
            break;
        removeMember(object, first);
    }

    const Layout object = layout();
    for (const Member &member : object.members) {
        if (member.key != key)
            continue;
        m_text.replace(member.valueStart, member.valueEnd - member.valueStart,
                       indented(jsonValue, indentAt(member.start)));
        return;
    }
    if (object.members.isEmpty()) {
        const QByteArray lineEnd = m_text.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
        const QByteArray body =
            '{' + lineEnd + "    " + quoted(key) + ": " + indented(jsonValue, "    ") + lineEnd + '}';
        m_text.replace(object.open, object.close + 1 - object.open, body);
        return;
    }
    // Added before the first member, with the same space around it as that member has.
    const Member &firstMember = object.members.first();
    const QByteArray gap = m_text.mid(object.open + 1, firstMember.start - object.open - 1);
    const QByteArray added = quoted(key) + ": " + indented(jsonValue, indentAt(firstMember.start)) + ',' +
                             (gap.isEmpty() ? QByteArray(" ") : gap);
    m_text.insert(firstMember.start, added);
}

void JsonObjectText::remove(const QString &key)
{
    while (true) {
        const Layout object = layout();
        qsizetype found = -1;
        for (qsizetype index = object.members.size() - 1; index >= 0 && found < 0; --index) {
            if (object.members[index].key == key)
                found = index;
        }
        if (found < 0)
            return;
        removeMember(object, found);
    }
}

void JsonObjectText::removeMember(const Layout &object, qsizetype index)
{
    const Member &member = object.members[index];
    if (index + 1 < object.members.size()) {
        // Up to the next member: the comma and the space before it go along.
        m_text.remove(member.start, object.members[index + 1].start - member.start);
    } else if (index > 0) {
        // The last member: from the end of the one before it, comma included.
        const qsizetype from = object.members[index - 1].valueEnd;
        m_text.remove(from, member.valueEnd - from);
    } else {
        m_text.replace(object.open, object.close + 1 - object.open, "{}");
    }
}

JsonObjectText::Layout JsonObjectText::layout() const
{
    Layout object;
    object.open = skipSpace(m_text.startsWith(byteOrderMark) ? byteOrderMark.size() : 0);
    qsizetype index = skipSpace(object.open + 1);
    while (index < m_text.size() && m_text.at(index) != '}') {
        Member member;
        member.start = index;
        const qsizetype keyEnd = stringEnd(index);
        member.key = decodedKey(m_text.mid(index, keyEnd - index));
        index = skipSpace(keyEnd);
        index = skipSpace(index + 1); // past the colon
        member.valueStart = index;
        member.valueEnd = valueEnd(index);
        object.members.append(member);
        index = skipSpace(member.valueEnd);
        if (index < m_text.size() && m_text.at(index) == ',')
            index = skipSpace(index + 1);
    }
    object.close = index;
    return object;
}

qsizetype JsonObjectText::skipSpace(qsizetype index) const
{
    while (index < m_text.size() && isSpace(m_text.at(index)))
        ++index;
    return index;
}

qsizetype JsonObjectText::stringEnd(qsizetype index) const
{
    // index is at the opening quote; UTF-8 continuation bytes never look like '"' or '\\'.
    ++index;
    while (index < m_text.size() && m_text.at(index) != '"')
        index += m_text.at(index) == '\\' ? 2 : 1;
    return std::min(index + 1, m_text.size());
}

qsizetype JsonObjectText::valueEnd(qsizetype index) const
{
    if (index >= m_text.size())
        return index;
    const char first = m_text.at(index);
    if (first == '"')
        return stringEnd(index);
    if (first == '{' || first == '[') {
        int depth = 0;
        while (index < m_text.size()) {
            const char character = m_text.at(index);
            if (character == '"') {
                index = stringEnd(index);
                continue;
            }
            if (character == '{' || character == '[')
                ++depth;
            else if ((character == '}' || character == ']') && --depth == 0)
                return index + 1;
            ++index;
        }
        return index;
    }
    // A number, true, false or null runs to the next delimiter.
    while (index < m_text.size() && !isSpace(m_text.at(index)) && m_text.at(index) != ',' && m_text.at(index) != '}' &&
           m_text.at(index) != ']')
        ++index;
    return index;
}

QByteArray JsonObjectText::indentAt(qsizetype index) const
{
    const qsizetype lineStart = m_text.lastIndexOf('\n', index - 1) + 1;
    QByteArray indent;
    for (qsizetype position = lineStart; position < index && isSpace(m_text.at(position)); ++position)
        indent += m_text.at(position);
    return indent;
}
