// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/ScreenLook.h"

#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class AssistiveTechnology;
class FrameAutosave;
class FrameModel;
class FrameView;
class FullScreenEscape;
class LayerCard;
class QScreen;

// The card window: frameless, translucent, out of the taskbar and on every workspace. Keeps the
// window's size, stacking and place in step with the model's size, look and keep-on-top and with
// the attached screens, and remembers its frame across restarts.
class FrameWindow : public QObject
{
    Q_OBJECT

public:
    // Where the window sits in the stacking order.
    enum class Level
    {
        Floating,     // keep on top: above ordinary windows
        BelowWindows, // beneath every ordinary window
        Desktop,      // the full-screen grid: beneath everything, clicks pass through
    };

    // The name the frame is remembered under in the user defaults store.
    static QString autosaveName();

    explicit FrameWindow(FrameModel &model, QObject *parent = nullptr);
    ~FrameWindow() override;

    // The window itself (the card view is the window's only content).
    FrameView *window() const { return m_view.get(); }
    Level level() const { return m_level; }
    // The card's frame kept while the full-screen grid shows.
    std::optional<QRect> cardFrame() const { return m_cardFrame; }

    // Sizes, stacks and places the window for the current size, look and keep-on-top.
    void apply(bool firstTime);
    // Re-applies after every change of size, look or keep-on-top, once per turn of the event loop.
    void observe();
    // Shows the window without taking the focus from the user's work: as a layer surface where
    // the desktop ignores the X11 card's stacking (LayerCard), else as that card.
    void show();
    // Whether the card is (or is becoming) a layer surface rather than a window.
    bool onLayerShell() const { return m_layer != nullptr; }
    // Whether the desktop's tray offers the frame menu (the default). Without a tray the
    // full-screen grid still takes right clicks, as its menu is the only way back to a card.
    void setTrayAvailable(bool available);
    bool trayAvailable() const { return m_trayAvailable; }
    // Asks `probe` whether the desktop offers a tray, at once and then every few seconds while
    // the full-screen grid shows: a panel restarted or started late moves the menu between
    // the tray and the grid's right click, so the grid never leaves the user without a menu.
    void watchTray(std::function<bool()> probe);

    // How often the tray is looked for while the grid shows.
    static constexpr int trayCheckMs = 2000;

Q_SIGNALS:
    // Panel Pixels was chosen on a screen too small for one whole panel; the previous look was
    // put back. `message` says so, in words for the user.
    void lookRefused(const QString &message);
    // The layer surface could not be made or its helper ended: the card is a window from now on.
    void layerShellLeft();
    // The layer surface's output has this scale (1 again when the card leaves the layer shell).
    void layerScaleChanged(qreal scale);

private:
    void showWindow();
    void leaveLayerShell();
    void followLayerDrag(const QPoint &position);
    void followLayerScale();
    void followAssistiveTechnology();
    bool refuseLookThatDoesNotFit(const QScreen *screen, double scale);
    void checkTray();
    void rememberLook();
    QRect cardBase();
    void applyFullScreen(bool firstTime);
    void applyCard(bool firstTime);
    void setLevel(Level level);
    void followTrayWhileFullScreen();
    void setFrame(const QRect &frame);
    void scheduleApply();
    void watchScreens();
    void watchScreen(QScreen *screen);
    QScreen *currentScreen() const;

    FrameModel &m_model;
    std::unique_ptr<FrameView> m_view;
    FrameAutosave *m_autosave = nullptr;  // owned by the view
    FullScreenEscape *m_escape = nullptr; // owned by the view
    AssistiveTechnology *m_assistive = nullptr;
    LayerCard *m_layer = nullptr;
    bool m_layerStarted = false;
    Level m_level = Level::BelowWindows;
    std::optional<QRect> m_cardFrame;
    bool m_applyPending = false;
    bool m_observing = false;
    bool m_followsScreen = false;
    bool m_placed = false; // a frame was restored or set
    bool m_trayAvailable = true;
    std::function<bool()> m_trayProbe;
    QTimer m_trayTimer;
    // Where the user put the card (it may have been pulled in from a screen edge since), and
    // the frame last given to the window, to tell the user's own moves from ours.
    std::optional<QRect> m_home;
    QRect m_lastFrame;
    ScreenLook m_shownLook = ScreenLook::Mono;
};
