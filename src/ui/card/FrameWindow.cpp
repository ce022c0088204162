// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameWindow.h"

#include "AssistiveTechnology.h"
#include "CardFit.h"
#include "CardPlacement.h"
#include "DesktopStacking.h"
#include "FrameAutosave.h"
#include "FrameView.h"
#include "FullScreenEscape.h"
#include "LayerCard.h"
#include "X11WindowHints.h"
#include "model/FrameModel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

// Fallback display scale when no screen is attached at all.
constexpr double scaleWithoutScreen = 2;

// With a screen reader listening, the card is an ordinary window that takes the keyboard and
// that the desktop's window switching lists; otherwise it never takes the focus from the user's
// work.
Qt::WindowFlags flagsFor(FrameWindow::Level level, bool trayAvailable, bool focusable)
{
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
    flags |= focusable ? Qt::Window : Qt::Tool | Qt::WindowDoesNotAcceptFocus;
    switch (level) {
    case FrameWindow::Level::Floating:
        return flags | Qt::WindowStaysOnTopHint;
    case FrameWindow::Level::BelowWindows:
        return flags | Qt::WindowStaysOnBottomHint;
    case FrameWindow::Level::Desktop:
        break;
    }
    flags |= Qt::WindowStaysOnBottomHint;
    if (trayAvailable)
        return flags | Qt::WindowTransparentForInput;
    // Without a tray the grid is the way to the menu: it takes clicks, and after a click the
    // focus, so that Escape leaves it.
    return flags & ~Qt::WindowDoesNotAcceptFocus;
}

CardPlacement::Screens attachedScreens()
{
    CardPlacement::Screens screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.available.append(screen->availableGeometry());
    if (const QScreen *main = QGuiApplication::primaryScreen()) {
        screens.main = main->geometry();
        screens.mainAvailable = main->availableGeometry();
    }
    return screens;
}

} // namespace

QString FrameWindow::autosaveName()
{
    return QStringLiteral("TessarineFrame");
}

FrameWindow::FrameWindow(FrameModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_view(std::make_unique<FrameView>(model))
{
    m_view->setWindowTitle(QStringLiteral("Tessarine"));
    m_view->setAttribute(Qt::WA_ShowWithoutActivating);
    m_assistive = new AssistiveTechnology(this);
    m_view->setWindowFlags(flagsFor(m_level, m_trayAvailable, m_assistive->isActive()));
    connect(m_assistive, &AssistiveTechnology::activeChanged, this, &FrameWindow::followAssistiveTechnology);
    m_autosave = new FrameAutosave(*m_view, autosaveName());
    m_placed = m_autosave->restore();
    m_escape = new FullScreenEscape(model, *m_view);
    rememberLook();
    connect(&m_model, &FrameModel::lookChanged, this, &FrameWindow::rememberLook);
    m_trayTimer.setInterval(trayCheckMs);
    connect(&m_trayTimer, &QTimer::timeout, this, &FrameWindow::checkTray);
    watchScreens();
    // Decided before the first apply, which offers Full Screen only where the card can be one.
    if (const QString helper = LayerCard::helperPath(m_model.configuration().layerCardHelper);
        LayerCard::wanted(helper)) {
        m_layer = new LayerCard(helper, *m_view, this);
        connect(m_layer, &LayerCard::ended, this, &FrameWindow::leaveLayerShell);
        connect(m_layer, &LayerCard::moved, this, &FrameWindow::followLayerDrag);
        connect(m_layer, &LayerCard::scaleChanged, this, &FrameWindow::followLayerScale);
    }
}

FrameWindow::~FrameWindow() = default;

void FrameWindow::show()
{
    if (!m_layer) {
        showWindow();
        return;
    }
    // Shown to the toolkit, so that it paints the view for the helper, but never mapped.
    m_view->setAttribute(Qt::WA_DontShowOnScreen);
    m_view->show();
    if (!m_layerStarted) {
        m_layerStarted = true;
        m_layer->start();
    }
}

void FrameWindow::leaveLayerShell()
{
    m_layer->deleteLater();
    m_layer = nullptr;
    m_view->appearance().setFixedScale(std::nullopt);
    m_view->hide();
    m_view->setAttribute(Qt::WA_DontShowOnScreen, false);
    setLevel(m_level);
    showWindow();
    // Full Screen may not be offered on this desktop after all.
    scheduleApply();
    Q_EMIT layerScaleChanged(1);
    Q_EMIT layerShellLeft();
}

void FrameWindow::followLayerDrag(const QPoint &position)
{
    // Kept as a move of the window is: saved, and brought back onto the screen if need be.
    m_view->move(position);
    scheduleApply();
}

void FrameWindow::followLayerScale()
{
    m_view->appearance().setFixedScale(m_layer->scale());
    scheduleApply();
    Q_EMIT layerScaleChanged(m_layer->scale());
}

void FrameWindow::showWindow()
{
    X11WindowHints::showOnAllWorkspaces(*m_view, m_assistive->isActive());
    // A click on the card never takes the keyboard from the window the user types in.
    X11WindowHints::leaveFocusToHint(*m_view);
    m_view->show();
    m_view->raise();
    X11WindowHints::askForAllWorkspaces(*m_view);
    X11WindowHints::declineAttention(*m_view);
    // Moving to a screen of another scale changes the card's size (the panel look) and its place.
    if (!m_followsScreen && m_view->windowHandle()) {
        connect(m_view->windowHandle(), &QWindow::screenChanged, this, &FrameWindow::scheduleApply);
        m_followsScreen = true;
    }
}

void FrameWindow::setTrayAvailable(bool available)
{
    if (available == m_trayAvailable)
        return;
    m_trayAvailable = available;
    setLevel(m_level);
}

void FrameWindow::watchTray(std::function<bool()> probe)
{
    m_trayProbe = std::move(probe);
    checkTray();
    followTrayWhileFullScreen();
}

void FrameWindow::checkTray()
{
    if (m_trayProbe)
        setTrayAvailable(m_trayProbe());
}

void FrameWindow::followTrayWhileFullScreen()
{
    // The card always takes right clicks, so the tray matters only while the grid shows.
    if (m_level != Level::Desktop || !m_trayProbe) {
        m_trayTimer.stop();
        return;
    }
    if (!m_trayTimer.isActive()) {
        m_trayTimer.start();
        checkTray();
    }
}

QScreen *FrameWindow::currentScreen() const
{
    if (QWindow *handle = m_view->windowHandle(); handle && handle->screen())
        return handle->screen();
    if (QScreen *screen = m_view->screen())
        return screen;
    return QGuiApplication::primaryScreen();
}

void FrameWindow::apply(bool firstTime)
{
    // The layer surface is always translucent.
    m_view->setOpaqueBody(!m_layer && !X11WindowHints::windowsCanBeTranslucent());
    if (m_model.size() == FrameSize::FullScreen)
        applyFullScreen(firstTime);
    else
        applyCard(firstTime);
}

void FrameWindow::applyFullScreen(bool firstTime)
{
    // Where the desktop ignores the stacking hints the grid would cover every window and let
    // clicks through to nothing: the card stays a card.
    if (!m_layer && !DesktopStacking::hintsFollowed()) {
        m_model.setSize(m_escape->cardSize());
        return;
    }
    QScreen *screen = currentScreen();
    if (!screen)
        return;
    Q_UNUSED(firstTime);
    // At launch the restored frame is the card's own: the grid's frame is never saved.
    if (m_level != Level::Desktop && m_placed)
        m_cardFrame = cardBase();
    setLevel(Level::Desktop);
    setFrame(screen->availableGeometry());
}

QRect FrameWindow::cardBase()
{
    if (m_cardFrame) {
        const QRect frame = *m_cardFrame;
        m_cardFrame.reset();
        return frame;
    }
    // A window that was never placed has no size, which tells the placement to centre it.
    if (!m_placed)
        return QRect();
    const QRect current = m_view->geometry();
    // Moved by the user (or the window manager) since: that is the new place to keep.
    if (current != m_lastFrame)
        m_home = current;
    // Else, if it was pulled in from an edge, start again from where the user had put it.
    return m_home.value_or(current);
}

void FrameWindow::rememberLook()
{
    // The look to show instead when Panel Pixels does not fit.
    if (m_model.chosenLook() != ScreenLook::Panel)
        m_shownLook = m_model.chosenLook();
}

bool FrameWindow::refuseLookThatDoesNotFit(const QScreen *screen, double scale)
{
    if (m_model.chosenLook() != ScreenLook::Panel || !screen)
        return false;
    const QSizeF available = screen->availableGeometry().size();
    // Measured for the panel whatever is shown now: a screen that has grown shows it again.
    if (CardFit::fit(FrameModel::panelContentWidth(scale), available)) {
        if (m_model.look() != ScreenLook::Panel)
            m_model.showLookInstead(ScreenLook::Panel);
        return false;
    }
    if (m_model.look() != ScreenLook::Panel)
        return false;
    // The choice stays stored: the panel comes back on a screen it fits.
    const ScreenLook instead = m_shownLook;
    const QSize pixels = (available * scale).toSize();
    Q_EMIT lookRefused(QStringLiteral("Panel Pixels needs room for 1360 × 480 pixels, and this screen has %1 × %2. "
                                      "The card shows the %3 look on this screen.")
                           .arg(pixels.width())
                           .arg(pixels.height())
                           .arg(instead.title()));
    m_model.showLookInstead(instead);
    return true;
}

void FrameWindow::applyCard(bool firstTime)
{
    setLevel(m_model.keepOnTop() ? Level::Floating : Level::BelowWindows);
    const QScreen *screen = currentScreen();
    const double scale = m_layer && m_layer->scale() > 0 ? m_layer->scale()
                         : screen                        ? screen->devicePixelRatio()
                                                         : scaleWithoutScreen;
    // The look that fits is shown before the card is measured, so the frame fits it at once,
    // also at start, before any change is observed.
    refuseLookThatDoesNotFit(screen, scale);
    const double width = m_model.contentWidth(scale);
    const std::optional<CardTrim> fitted =
        screen ? CardFit::fit(width, screen->availableGeometry().size()) : std::nullopt;
    const CardTrim trim = fitted.value_or(CardFit::usual(width));
    m_view->setTrim(trim);
    const QSize size = CardFit::windowSize(width, trim).toSize();
    const CardPlacement::Screens screens = attachedScreens();
    const QRect placed = CardPlacement::place(cardBase(), size, firstTime, screens);
    const QRect shown = CardPlacement::keepWithin(placed, screens.available);
    if (shown == placed)
        m_home = placed;
    setFrame(shown);
}

void FrameWindow::followAssistiveTechnology()
{
    const Qt::WindowFlags flags = flagsFor(m_level, m_trayAvailable, m_assistive->isActive());
    if (m_view->windowFlags() == flags)
        return;
    // The window's type and its taskbar listing are read by the window manager when the window
    // is mapped, so a shown card is shown afresh with them.
    const bool shown = m_view->isVisible();
    m_view->setWindowFlags(flags);
    if (shown)
        show();
}

void FrameWindow::setLevel(Level level)
{
    m_level = level;
    m_autosave->hold(level == Level::Desktop);
    followTrayWhileFullScreen();
    if (m_layer)
        m_layer->setStacking(level == Level::Floating, level != Level::Desktop || !m_trayAvailable);
    const Qt::WindowFlags flags = flagsFor(level, m_trayAvailable, m_assistive->isActive());
    if (m_view->windowFlags() == flags)
        return;
    // Once the window exists the window system is told directly, so the card is not hidden and
    // shown again as QWidget::setWindowFlags() would do.
    if (QWindow *handle = m_view->windowHandle()) {
        m_view->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        m_view->setWindowFlags(flags);
    }
}

void FrameWindow::setFrame(const QRect &frame)
{
    m_view->setGeometry(frame);
    m_lastFrame = m_view->geometry();
    m_placed = true;
    m_autosave->save();
    m_view->update();
}

void FrameWindow::observe()
{
    if (m_observing)
        return;
    m_observing = true;
    for (auto changed : {&FrameModel::sizeChanged, &FrameModel::lookChanged, &FrameModel::keepOnTopChanged})
        connect(&m_model, changed, this, &FrameWindow::scheduleApply);
}

void FrameWindow::scheduleApply()
{
    // Several options changed in one go are applied once, after the change is complete.
    if (m_applyPending)
        return;
    m_applyPending = true;
    QTimer::singleShot(0, this, [this] {
        m_applyPending = false;
        apply(false);
    });
}

void FrameWindow::watchScreens()
{
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watchScreen(screen);
        scheduleApply();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &FrameWindow::scheduleApply);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &FrameWindow::scheduleApply);
    for (QScreen *screen : QGuiApplication::screens())
        watchScreen(screen);
}

void FrameWindow::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &FrameWindow::scheduleApply);
    connect(screen, &QScreen::availableGeometryChanged, this, &FrameWindow::scheduleApply);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &FrameWindow::scheduleApply);
}
