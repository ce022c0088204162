// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QObject>

// Whether an assistive technology (a screen reader) listens to the program, and when that
// changes: the desktop says one listens and Qt's accessibility bridge is on to reach it. Both
// turn on a little after the start, once the accessibility bus has been asked, so the card
// follows the change rather than reading it once. The bridge alone does not tell: under X11 it
// turns on wherever the accessibility bus runs, with or without anyone listening.
class AssistiveTechnology : public QObject, private QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit AssistiveTechnology(QObject *parent = nullptr);
    ~AssistiveTechnology() override;

    bool isActive() const { return m_active; }

Q_SIGNALS:
    void activeChanged(bool active);

private:
    void accessibilityActiveChanged(bool active) override;
    void follow();

    bool m_active = false;
};
