// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssistiveTechnology.h"

#include "platform/ScreenReaderStatus.h"

AssistiveTechnology::AssistiveTechnology(QObject *parent)
    : QObject(parent)
{
    QAccessible::installActivationObserver(this);
    connect(&ScreenReaderStatus::instance(), &ScreenReaderStatus::changed, this, &AssistiveTechnology::follow);
    m_active = QAccessible::isActive() && ScreenReaderStatus::instance().isOn();
}

AssistiveTechnology::~AssistiveTechnology()
{
    QAccessible::removeActivationObserver(this);
}

void AssistiveTechnology::accessibilityActiveChanged(bool)
{
    follow();
}

void AssistiveTechnology::follow()
{
    const bool active = QAccessible::isActive() && ScreenReaderStatus::instance().isOn();
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT activeChanged(active);
}
