// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayOptions.h"

#include "kit/PageCycle.h"
#include "platform/Defaults.h"
#include "platform/ReduceMotion.h"

#include <QCoroTimer>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

namespace {

const QString pageKey = QStringLiteral("page");
const QString lookKey = QStringLiteral("look");
const QString sizeKey = QStringLiteral("size");
const QString keepOnTopKey = QStringLiteral("keepOnTop");
const QString cycleSecondsKey = QStringLiteral("cycleSeconds");
const QString transitionKey = QStringLiteral("transition");
const QString planAlertsKey = QStringLiteral("planAlerts");

// Each of the flash's two steps (dark, then light) lasts this long before the next.
constexpr std::chrono::milliseconds flashStep{140};
// The panel shows the page at exactly this many device pixels across.
constexpr double panelPixels = 1360;
// The longest interval a timer can hold; a larger stored interval is cut to it.
constexpr int longestCycleSeconds = std::numeric_limits<int>::max() / 1000;

// A display scale below 1 (or not a number) counts as 1.
double effectiveScale(double displayScale)
{
    return displayScale > 1 ? displayScale : 1;
}

// Only a look's exact stored name chooses it; anything else is mono.
ScreenLook storedLook()
{
    return ScreenLook::fromName(Defaults::stringValue(lookKey).value_or(QString())).value_or(ScreenLook::Mono);
}

FrameSize storedSize()
{
    return FrameSize::fromName(Defaults::stringValue(sizeKey).value_or(QString())).value_or(FrameSize::Medium);
}

PageTransition storedTransition()
{
    const QString stored = Defaults::stringValue(transitionKey).value_or(QString());
    return PageTransition::fromName(stored).value_or(PageTransition::Flip);
}

} // namespace

const QList<DisplayOptions::CycleChoice> &DisplayOptions::cycleChoices()
{
    static const QList<CycleChoice> choices{
        {0, QStringLiteral("Off")},
        {30, QStringLiteral("Every 30 Seconds")},
        {60, QStringLiteral("Every Minute")},
        {300, QStringLiteral("Every 5 Minutes")},
        {900, QStringLiteral("Every 15 Minutes")},
    };
    return choices;
}

DisplayOptions::DisplayOptions(QObject *parent)
    : QObject(parent)
{
    m_pageName = Defaults::stringValue(pageKey).value_or(QStringLiteral("page0"));
    m_look = storedLook();
    m_chosenLook = m_look;
    m_size = storedSize();
    m_keepOnTop = Defaults::boolValue(keepOnTopKey);
    m_cycleSeconds = Defaults::intValue(cycleSecondsKey);
    m_transition = storedTransition();
    // Alerts are on until the user turns them off, so only a stored "off" counts.
    m_planAlerts = !Defaults::contains(planAlertsKey) || Defaults::boolValue(planAlertsKey);
}

void DisplayOptions::setPageName(const QString &pageName)
{
    changePage(pageName, ViewAnimation());
}

void DisplayOptions::changePage(const QString &pageName, const ViewAnimation &animation)
{
    // Set before the change is announced, so the page view finds it when it reacts.
    m_pendingAnimation = animation;
    assign(m_pageName, pageName, &DisplayOptions::pageNameChanged);
    Defaults::setValue(pageKey, pageName);
}

void DisplayOptions::setLook(ScreenLook look)
{
    m_chosenLook = look;
    assign(m_look, look, &DisplayOptions::lookChanged);
    Defaults::setValue(lookKey, look.name());
}

void DisplayOptions::showLookInstead(ScreenLook look)
{
    assign(m_look, look, &DisplayOptions::lookChanged);
}

void DisplayOptions::setSize(FrameSize size)
{
    assign(m_size, size, &DisplayOptions::sizeChanged);
    Defaults::setValue(sizeKey, size.name());
}

void DisplayOptions::setPlanAlerts(bool on)
{
    assign(m_planAlerts, on, &DisplayOptions::planAlertsChanged);
    Defaults::setValue(planAlertsKey, on);
}

void DisplayOptions::setKeepOnTop(bool keepOnTop)
{
    assign(m_keepOnTop, keepOnTop, &DisplayOptions::keepOnTopChanged);
    Defaults::setValue(keepOnTopKey, keepOnTop);
}

void DisplayOptions::setTransition(PageTransition transition)
{
    assign(m_transition, transition, &DisplayOptions::transitionChanged);
    Defaults::setValue(transitionKey, transition.name());
}

void DisplayOptions::setCycleSeconds(int seconds)
{
    assign(m_cycleSeconds, seconds, &DisplayOptions::cycleSecondsChanged);
    Defaults::setValue(cycleSecondsKey, seconds);
    restartCycle();
}

void DisplayOptions::setMovingForward(bool forward)
{
    assign(m_movingForward, forward, &DisplayOptions::movingForwardChanged);
}

void DisplayOptions::setFlash(Flash flash)
{
    assign(m_flash, flash, &DisplayOptions::flashChanged);
}

void DisplayOptions::restartCycle()
{
    // Replaced, never stacked. The old timer may be the one whose timeout is running now, so it
    // goes once control is back in the event loop.
    if (QTimer *armed = std::exchange(m_cycleTimer, nullptr)) {
        armed->stop();
        armed->deleteLater();
    }
    if (m_cycleSeconds < 1)
        return;
    m_cycleTimer = new QTimer(this);
    m_cycleTimer->setSingleShot(true);
    // About a second of slack is fine for a page cycle and lets the system bundle wake-ups.
    m_cycleTimer->setTimerType(Qt::VeryCoarseTimer);
    m_cycleTimer->setInterval(std::chrono::seconds(std::min(m_cycleSeconds, longestCycleSeconds)));
    connect(m_cycleTimer, &QTimer::timeout, this, &DisplayOptions::advanceCycle);
    m_cycleTimer->start();
}

void DisplayOptions::advanceCycle()
{
    // Only drawn pages take part, in manifest order; a single page has nowhere to go.
    if (m_drawnPages.size() >= 2) {
        if (const std::optional<QString> next = PageCycle::next(m_pageName, m_drawnPages))
            show(*next, true);
    }
    restartCycle();
}

void DisplayOptions::show(const QString &pageName, bool forward)
{
    if (pageName == m_pageName || m_flash != Flash::None)
        return;
    restartCycle();
    // An e-paper panel cannot animate: it flashes dark and light, then shows the new page.
    if (m_look == ScreenLook::Panel || m_transition == PageTransition::Flash) {
        setFlash(Flash::Dark);
        playFlash(pageName);
        return;
    }
    setMovingForward(forward);
    changePage(pageName, ViewAnimation::forTransition(m_transition, ReduceMotion::instance().isOn()));
}

QCoro::Task<> DisplayOptions::playFlash(QString pageName)
{
    const QPointer<DisplayOptions> self(this);
    co_await QCoro::sleepFor(flashStep);
    if (!self)
        co_return;
    setFlash(Flash::Light);
    co_await QCoro::sleepFor(flashStep);
    if (!self)
        co_return;
    changePage(pageName, ViewAnimation());
    setFlash(Flash::None);
}

double DisplayOptions::contentWidth(double displayScale) const
{
    if (m_look == ScreenLook::Panel)
        return panelContentWidth(displayScale);
    return m_size.contentWidth();
}

double DisplayOptions::panelContentWidth(double displayScale)
{
    return panelPixels / effectiveScale(displayScale);
}

double DisplayOptions::fittedWidth(double width, double displayScale) const
{
    if (m_look != ScreenLook::Panel)
        return width;
    const double scale = effectiveScale(displayScale);
    const double panels = std::floor(width * scale / panelPixels);
    return (panels >= 1 ? panels : 1) * panelPixels / scale;
}
