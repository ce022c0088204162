// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The first step of the welcome flow: what Tessarine is, the three steps ahead, and the promise
// that the AI logins stay on this computer.
class WelcomeIntroStep : public QWidget
{
    Q_OBJECT
public:
    explicit WelcomeIntroStep(QWidget *parent = nullptr);

private:
    QWidget *line(const QString &symbol, const QString &text, bool secondaryColour);
};
