// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenLook.h"

std::optional<ScreenLook> ScreenLook::fromRawValue(const QString &rawValue)
{
    for (ScreenLook look : allCases()) {
        if (look.rawValue() == rawValue)
            return look;
    }
    return std::nullopt;
}

QList<ScreenLook> ScreenLook::allCases()
{
    return {Mono, Colour, Panel};
}

QString ScreenLook::rawValue() const
{
    switch (m_value) {
    case Mono:
        return QStringLiteral("mono");
    case Colour:
        return QStringLiteral("colour");
    case Panel:
        return QStringLiteral("panel");
    }
    return {};
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
    return view + u'-' + rawValue() + (dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png"));
}
