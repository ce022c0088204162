// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ViewAnimation.h"
#include "kit/Flash.h"
#include "kit/FrameSize.h"
#include "kit/PageTransition.h"
#include "kit/ScreenLook.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;

// How the card shows the pages: which rendered page is on it, the look, size, transition,
// cycle interval, keep-on-top and the plan alerts switch, each under its own key in the user
// defaults store and written back on every set; and the page changes themselves: the cycle
// timer, the e-paper flash and the animation the card plays. It knows nothing of pictures: the
// owner tells it which pages the last refresh drew (setDrawnPages) so the cycle can move on.
// Lives on the GUI thread.
class DisplayOptions : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString pageName READ pageName WRITE setPageName NOTIFY pageNameChanged)
    Q_PROPERTY(ScreenLook look READ look WRITE setLook NOTIFY lookChanged)
    Q_PROPERTY(FrameSize size READ size WRITE setSize NOTIFY sizeChanged)
    Q_PROPERTY(bool keepOnTop READ keepOnTop WRITE setKeepOnTop NOTIFY keepOnTopChanged)
    Q_PROPERTY(PageTransition transition READ transition WRITE setTransition NOTIFY transitionChanged)
    Q_PROPERTY(bool movingForward READ movingForward WRITE setMovingForward NOTIFY movingForwardChanged)
    Q_PROPERTY(int cycleSeconds READ cycleSeconds WRITE setCycleSeconds NOTIFY cycleSecondsChanged)
    Q_PROPERTY(Flash flash READ flash WRITE setFlash NOTIFY flashChanged)
    Q_PROPERTY(bool planAlerts READ planAlerts WRITE setPlanAlerts NOTIFY planAlertsChanged)

public:
    struct CycleChoice
    {
        int seconds;
        QString title;
    };

    // The page-cycle intervals the menu offers.
    static const QList<CycleChoice> &cycleChoices();

    // Reads every option from the user defaults store, falling back to the defaults for a
    // missing or unknown value; starts no timer.
    explicit DisplayOptions(QObject *parent = nullptr);

    // The name of the rendered page on the card ("page0", …).
    QString pageName() const { return m_pageName; }
    // The look the card shows: the user's choice, or the stand-in while that does not fit.
    ScreenLook look() const { return m_look; }
    // The look the user chose, as stored.
    ScreenLook chosenLook() const { return m_chosenLook; }
    FrameSize size() const { return m_size; }
    bool keepOnTop() const { return m_keepOnTop; }
    PageTransition transition() const { return m_transition; }
    bool movingForward() const { return m_movingForward; }
    int cycleSeconds() const { return m_cycleSeconds; }
    Flash flash() const { return m_flash; }
    // Whether a chosen AI plan warns with a desktop notification before it runs out; on unless
    // the user turned it off.
    bool planAlerts() const { return m_planAlerts; }

    // Each stored option is written to the user defaults store on every call, changed or not.
    void setPageName(const QString &pageName);
    void setLook(ScreenLook look);
    // Shows `look` in place of the chosen one, which stays stored (a look that does not fit the
    // screen); showing the chosen look again ends the stand-in.
    void showLookInstead(ScreenLook look);
    void setSize(FrameSize size);
    void setKeepOnTop(bool keepOnTop);
    void setTransition(PageTransition transition);
    // Also re-arms the cycle timer for the new interval.
    void setCycleSeconds(int seconds);
    void setMovingForward(bool forward);
    void setFlash(Flash flash);
    void setPlanAlerts(bool on);

    // The rendered pages the cycle moves through, in the manifest's order.
    void setDrawnPages(const QStringList &pageNames) { m_drawnPages = pageNames; }

    // Puts the named rendered page on the card. Ignored when it is already shown or while an
    // e-paper flash runs. Under the panel look or the flash transition it runs the flash (dark,
    // light, then the new page, 0.14 s apart); otherwise it sets movingForward to `forward` and
    // changes the page with the animation pendingAnimation() then tells.
    void show(const QString &pageName, bool forward);
    // Cancels the cycle timer and, when cycling is on, arms a new one-shot timer for a full
    // interval; when it fires the card moves to the next drawn page.
    void restartCycle();
    // The armed cycle timer; null while cycling is off.
    QTimer *cycleTimer() const { return m_cycleTimer; }
    // How the page view should animate the latest change of the page: set before
    // pageNameChanged is emitted; none for a change made through setPageName() or at the end of
    // a flash.
    ViewAnimation pendingAnimation() const { return m_pendingAnimation; }

    // Width in device-independent pixels of the page image on the card: 1360 device pixels for
    // the panel look, the size's width otherwise. A scale of 1 or less counts as 1.
    double contentWidth(double displayScale) const;
    // The panel look's content width at `displayScale`, whatever look is shown.
    static double panelContentWidth(double displayScale);
    // For the panel look, the widest whole number of 1360-pixel panels (at least one) that fits
    // in `width`; other looks show any width.
    double fittedWidth(double width, double displayScale) const;

Q_SIGNALS:
    void pageNameChanged();
    void lookChanged();
    void sizeChanged();
    void keepOnTopChanged();
    void transitionChanged();
    void movingForwardChanged();
    void cycleSecondsChanged();
    void flashChanged();
    void planAlertsChanged();

private:
    template<typename T>
    void assign(T &member, const T &value, void (DisplayOptions::*changed)())
    {
        if (member == value)
            return;
        member = value;
        Q_EMIT(this->*changed)();
    }

    void changePage(const QString &pageName, const ViewAnimation &animation);
    void advanceCycle();
    QCoro::Task<> playFlash(QString pageName);

    QString m_pageName = QStringLiteral("page0");
    ScreenLook m_look = ScreenLook::Mono;
    ScreenLook m_chosenLook = ScreenLook::Mono;
    FrameSize m_size = FrameSize::Medium;
    bool m_keepOnTop = false;
    PageTransition m_transition = PageTransition::Flip;
    bool m_movingForward = true;
    int m_cycleSeconds = 0;
    Flash m_flash = Flash::None;
    bool m_planAlerts = true;
    QStringList m_drawnPages;
    QTimer *m_cycleTimer = nullptr;
    ViewAnimation m_pendingAnimation;
};
