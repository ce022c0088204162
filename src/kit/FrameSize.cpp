// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameSize.h"

#include "EnumNames.h"

std::optional<FrameSize> FrameSize::fromName(const QString &name)
{
    const std::optional<Value> value = EnumNames::fromName<Value>(name);
    return value ? std::optional<FrameSize>(*value) : std::nullopt;
}

QList<FrameSize> FrameSize::all()
{
    const QList<Value> values = EnumNames::all<Value>();
    return {values.begin(), values.end()};
}

QString FrameSize::name() const
{
    return EnumNames::name(m_value);
}

QString FrameSize::title() const
{
    switch (m_value) {
    case Small:
        return QStringLiteral("Small");
    case Medium:
        return QStringLiteral("Medium");
    case Large:
        return QStringLiteral("Large");
    case FullScreen:
        return QStringLiteral("Full Screen");
    }
    return {};
}

double FrameSize::contentWidth() const
{
    switch (m_value) {
    case Small:
        return 520;
    case Medium:
        return 680;
    case Large:
    case FullScreen:
        return 900;
    }
    return 680;
}
