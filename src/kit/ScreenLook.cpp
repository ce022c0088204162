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

std::optional<ScreenLook> ScreenLook::ofPicture(const QString &fileName, const QString &view)
{
    for (const ScreenLook look : all()) {
        for (const bool dark : look.appearances()) {
            if (look.fileName(view, dark) == fileName)
                return look;
        }
    }
    return std::nullopt;
}

ScreenLook::Row ScreenLook::row() const
{
    switch (m_value) {
    case Value::Mono:
        return {QStringLiteral("Mono"), Drawing::Themed};
    case Value::Colour:
        return {QStringLiteral("Colour"), Drawing::Themed};
    case Value::Panel:
        return {QStringLiteral("Panel Pixels"), Drawing::OneBitPanel};
    }
    return {};
}

QString ScreenLook::name() const
{
    return EnumNames::name(m_value);
}

QList<bool> ScreenLook::appearances() const
{
    switch (drawing()) {
    case Drawing::Themed:
        return {false, true};
    case Drawing::OneBitPanel:
        return {false};
    }
    return {};
}

QString ScreenLook::fileName(const QString &view, bool dark) const
{
    switch (drawing()) {
    case Drawing::Themed:
        return view + u'-' + name() + (dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png"));
    case Drawing::OneBitPanel:
        return view + QStringLiteral(".png");
    }
    return {};
}
