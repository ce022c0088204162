// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameSize.h"

std::optional<FrameSize> FrameSize::fromRawValue(const QString &rawValue)
{
    for (FrameSize size : allCases()) {
        if (size.rawValue() == rawValue)
            return size;
    }
    return std::nullopt;
}

QList<FrameSize> FrameSize::allCases()
{
    return {Small, Medium, Large, FullScreen};
}

QString FrameSize::rawValue() const
{
    switch (m_value) {
    case Small:
        return QStringLiteral("small");
    case Medium:
        return QStringLiteral("medium");
    case Large:
        return QStringLiteral("large");
    case FullScreen:
        return QStringLiteral("fullScreen");
    }
    return {};
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
