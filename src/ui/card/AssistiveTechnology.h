// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QObject>

// Whether an assistive technology (a screen reader) listens to the program, and when that
// changes. The desktop's accessibility bridge turns on a little after the start, once it has
// asked the accessibility bus, so the card follows the change rather than reading it once.
class AssistiveTechnology : public QObject, private QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit AssistiveTechnology(QObject *parent = nullptr);
    ~AssistiveTechnology() override;

    bool isActive() const { return QAccessible::isActive(); }

Q_SIGNALS:
    void activeChanged(bool active);

private:
    void accessibilityActiveChanged(bool active) override;
};
