// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssistiveTechnology.h"

AssistiveTechnology::AssistiveTechnology(QObject *parent)
    : QObject(parent)
{
    QAccessible::installActivationObserver(this);
}

AssistiveTechnology::~AssistiveTechnology()
{
    QAccessible::removeActivationObserver(this);
}

void AssistiveTechnology::accessibilityActiveChanged(bool active)
{
    Q_EMIT activeChanged(active);
}
