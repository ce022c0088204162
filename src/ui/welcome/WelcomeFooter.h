// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPushButton;
class StepDots;

// The bottom of the welcome window: the step dots, "Back" from the second step on, and the
// primary button, "Continue" or on the pages step "Finish", which Return presses too.
class WelcomeFooter : public QWidget
{
    Q_OBJECT
public:
    explicit WelcomeFooter(QWidget *parent = nullptr);

    // Shows where the flow stands; on the last step (count − 1) the primary button reads "Finish".
    void setStep(int step, int count);

    StepDots *dots() const { return m_dots; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *primaryButton() const { return m_primary; }

Q_SIGNALS:
    void backRequested();
    void nextRequested();

private:
    void makeProminent();

    StepDots *m_dots = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_primary = nullptr;
};
