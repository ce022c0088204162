// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageTransition.h"

#include "EnumNames.h"

std::optional<PageTransition> PageTransition::fromName(const QString &name)
{
    const std::optional<Value> value = EnumNames::fromName<Value>(name);
    return value ? std::optional<PageTransition>(*value) : std::nullopt;
}

QList<PageTransition> PageTransition::all()
{
    const QList<Value> values = EnumNames::all<Value>();
    return {values.begin(), values.end()};
}

QString PageTransition::name() const
{
    return EnumNames::name(m_value);
}
