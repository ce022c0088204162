// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMetaEnum>
#include <QString>
#include <optional>

// The names under which an enumeration declared with Q_ENUM is stored in the settings, files and
// the command line: each key with its first letter in lower case ("FullScreen" → "fullScreen").
// The stored names are the enumerators' own, so renaming an enumerator changes what is stored;
// TestScreenRecords keeps every stored name in a table.
namespace EnumNames {

template<typename Enum>
QString name(Enum value)
{
    QString key = QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(int(value)));
    if (!key.isEmpty())
        key[0] = key[0].toLower();
    return key;
}

// Every enumerator in the order of its declaration.
template<typename Enum>
QList<Enum> all()
{
    const QMetaEnum meta = QMetaEnum::fromType<Enum>();
    QList<Enum> values;
    for (int index = 0; index < meta.keyCount(); ++index)
        values.append(Enum(meta.value(index)));
    return values;
}

// The enumerator stored under exactly `name`; another case, a qualified key ("ScreenLook::Mono")
// or anything else gives none.
template<typename Enum>
std::optional<Enum> fromName(const QString &name)
{
    for (const Enum value : all<Enum>()) {
        if (EnumNames::name(value) == name)
            return value;
    }
    return std::nullopt;
}

} // namespace EnumNames
