// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageTransition.h"

std::optional<PageTransition> PageTransition::fromRawValue(const QString &rawValue)
{
    for (PageTransition transition : allCases()) {
        if (transition.rawValue() == rawValue)
            return transition;
    }
    return std::nullopt;
}

QList<PageTransition> PageTransition::allCases()
{
    return {Flip, Slide, Fade, Flash};
}

QString PageTransition::rawValue() const
{
    switch (m_value) {
    case Flip:
        return QStringLiteral("flip");
    case Slide:
        return QStringLiteral("slide");
    case Fade:
        return QStringLiteral("fade");
    case Flash:
        return QStringLiteral("flash");
    }
    return {};
}
