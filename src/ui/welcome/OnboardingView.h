// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/StartPages.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class ConnectionsState;
class FrameModel;
class QStackedWidget;
class WelcomeFooter;

// The welcome flow of the first start, in four steps: an introduction, GitHub, the AI tools on
// this computer, and the starting pages. "Finish" builds the chosen pages, hands them with the
// chosen providers to the model (which also records that the flow is done) and closes the window;
// closing the window any other way changes nothing. The view is made anew each time the window
// opens, so every run starts at the first step with fresh choices. It owns its own tool detection
// and reads the model's GitHub sign-in.
class OnboardingView : public QWidget
{
    Q_OBJECT

public:
    using Start = StartPages::Start;

    // The step shown: 0 the introduction, 1 GitHub, 2 the tools, any other value the pages.
    static constexpr int introStep = 0;
    static constexpr int gitHubStep = 1;
    static constexpr int toolsStep = 2;
    static constexpr int pagesStep = 3;
    static constexpr int stepCount = 4;

    // `close` closes the window the view sits in.
    OnboardingView(FrameModel &model, std::function<void()> close, QWidget *parent = nullptr);
    ~OnboardingView() override;

    FrameModel &model() const { return m_model; }
    ConnectionsState &state() const { return *m_state; }

    int step() const { return m_step; }
    void setStep(int step);
    bool useGitHub() const { return m_useGitHub; }
    void setUseGitHub(bool use);
    // Provider ids the user ticked.
    QSet<QString> chosen() const { return m_chosen; }
    void setChosen(const QString &id, bool on);
    bool preselected() const { return m_preselected; }
    Start start() const { return m_start; }
    void setStart(Start start);

    // Signed in to Tessarine, or else the GitHub CLI has a login on this computer.
    bool githubReady() const;
    // The ticked AI plans in the order claude, codex, grok, gemini.
    QStringList chosenPlans() const;
    // Whether the user allowed Tessarine to read the calendars.
    bool calendarAllowed() const;

    // The pages a starting set would give for the choices made so far, and how the pages step
    // describes them.
    QList<Page> pages(Start start) const;
    StartPages::StartOption option(Start start) const;

    // Once the first search for tools has ended: ticks the tools that were found (never Gemini,
    // which has nothing to show yet) and shows GitHub when it can be read. Runs only once, so
    // later changes never undo what the user chose.
    void preselect();
    // "Continue" and "Finish": the next step, or after the pages step the end of the flow.
    void next();
    // "Back".
    void back();
    // The Claude row's "Set Up": installs the status line, ignoring a failure (the row then
    // still offers Set Up), and ticks Claude. Asks for no refresh: the flow's end does that.
    void setUpClaude();

    WelcomeFooter *footer() const { return m_footer; }
    // The widget of the step shown now.
    QWidget *currentStep() const;

    // 640 × 580 at a 10 pt font; wider in step with a larger font, and tall enough for the
    // tallest step at that width.
    QSize sizeHint() const override;

Q_SIGNALS:
    void stepChanged();
    void useGitHubChanged();
    void chosenChanged();
    void startChanged();
    // GitHub's sign-in or the GitHub CLI's login changed, and with it githubReady().
    void gitHubChanged();
    void calendarChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void observe();
    void showStep();
    void focusStep();
    static QWidget *firstControlIn(QWidget *step);
    void finish();
    // Opens the flow at the configuration's welcomeStep (not range-checked), for screenshots and
    // tests.
    void applyConfiguredStep();

    FrameModel &m_model;
    std::function<void()> m_close;
    int m_step = introStep;
    ConnectionsState *m_state = nullptr;
    bool m_useGitHub = true;
    QSet<QString> m_chosen;
    bool m_preselected = false;
    Start m_start = Start::recommended;
    bool m_shownOnce = false;

    QStackedWidget *m_steps = nullptr;
    WelcomeFooter *m_footer = nullptr;
};
