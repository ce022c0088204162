// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class CalendarConsentDialog;
class FrameMenu;
class FrameModel;
class FrameWindow;
class PlanAlerts;
class QSystemTrayIcon;
struct Configuration;

// The application: owns the one model from the start, and on launch sets up the desktop run:
// the card window, the tray icon with the frame menu, the model's window-opening hooks, the
// refresh schedule, and the welcome, editor and connections windows when they are asked for.
class App : public QObject
{
    Q_OBJECT

public:
    // The model reads and writes where `configuration` says.
    explicit App(const Configuration &configuration, QObject *parent = nullptr);
    ~App() override;

    FrameModel &model() { return *m_model; }
    FrameWindow *frameWindow() const { return m_frameWindow.get(); }
    QSystemTrayIcon *trayIcon() const { return m_tray; }

    // The normal run. `arguments` may hold --welcome, --edit-layout and --connections.
    void finishLaunching(const QStringList &arguments);
    // A later start of the program handed its launch arguments over: the card is shown (it keeps
    // its stacking level) and the windows asked for open, as they would at launch.
    void handOver(const QStringList &arguments);
    // Gives the model its hooks to open the three windows below.
    void installWindowHooks();

    // Opens the window, creating it on first use, and brings it to the front. The editor and
    // connections windows are kept once made; the welcome window is made anew each time.
    void showEditor();
    void showConnections();
    void showWelcome();

    QWidget *editorWindow() const { return m_editor; }
    QWidget *connectionsWindow() const { return m_connections; }
    QWidget *welcomeWindow() const { return m_welcome; }

private:
    struct WindowSetup
    {
        QString title;
        QSize size;
        QString autosaveName; // empty: the frame is not remembered
    };

    void showCard();
    void tellAboutDesktop();
    void showTrayIcon();
    // Tells the user something without stopping the card: Panel Pixels that does not fit the
    // screen, a desktop that ignores the stacking hints.
    void tell(const QString &message);
    void startPlanAlerts();
    void openLaunchWindows(const QStringList &arguments, bool welcomeNeeded);
    // Makes `content` a window as `setup` says, centred on the main screen and fitted into it,
    // closed by Escape and Ctrl+W.
    void prepareWindow(QWidget &content, const WindowSetup &setup);
    static void bringToFront(QWidget &window);

    std::unique_ptr<FrameModel> m_model;
    // Fed by the model, so it goes before the model does.
    std::unique_ptr<PlanAlerts> m_planAlerts;
    std::unique_ptr<CalendarConsentDialog> m_calendarConsent;
    std::unique_ptr<FrameWindow> m_frameWindow;
    QSystemTrayIcon *m_tray = nullptr;
    FrameMenu *m_trayMenu = nullptr;
    QPointer<QWidget> m_editor;
    QPointer<QWidget> m_connections;
    QPointer<QWidget> m_welcome;
};
