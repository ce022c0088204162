// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenLook.h"

#include "EnumNames.h"

std::optional<ScreenLook> ScreenLook::fromName(const QString &name)
{
    const std::optional<Value> value = EnumNames::fromName<Value>(name);
    return value ? std::optional<ScreenLook>(*value) : std::nullopt;
}

QList<ScreenLook> ScreenLook::all()
{
    const QList<Value> values = EnumNames::all<Value>();
    return {values.begin(), values.end()};
}

QString ScreenLook::name() const
{
    return EnumNames::name(m_value);
}

QString ScreenLook::title() const
{
    switch (m_value) {
    case Mono:
        return QStringLiteral("Mono");
    case Colour:
        return QStringLiteral("Colour");
    case Panel:
        return QStringLiteral("Panel Pixels");
    }
    return {};
}

QString ScreenLook::fileName(const QString &view, bool dark) const
{
    if (m_value == Panel)
        return view + QStringLiteral(".png");
    return view + u'-' + name() + (dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png"));
}
