// SPDX-License-Identifier: GPL-3.0-or-later
#include "App.h"

#include "PlatformChoice.h"
#include "UpdateAlerts.h"
#include "model/FrameModel.h"
#include "model/PlanAlertFeed.h"
#include "platform/CalendarStore.h"
#include "services/PlanAlerts.h"
#include "services/UpdateChecker.h"
#include "ui/card/DesktopStacking.h"
#include "ui/card/FrameAutosave.h"
#include "ui/card/FrameMenu.h"
#include "ui/card/FrameView.h"
#include "ui/card/FrameWindow.h"
#include "ui/card/MenuBarIcon.h"
#include "ui/card/PictureResolution.h"
#include "ui/common/CalendarConsentDialog.h"
#include "ui/common/CloseKeys.h"
#include "ui/common/WindowFit.h"
#include "ui/connections/ConnectionsView.h"
#include "ui/editor/LayoutEditor.h"
#include "ui/welcome/OnboardingView.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QWindow>

App::App(const Configuration &configuration, QObject *parent)
    : QObject(parent)
    , m_model(std::make_unique<FrameModel>(configuration))
    , m_calendarConsent(std::make_unique<CalendarConsentDialog>())
{
    // "Allow…" in the connections window and the welcome flow asks through this dialog.
    m_model->eventStore().setConsentPresenter(m_calendarConsent.get());
}

App::~App()
{
    // The hooks must not outlive the windows they open.
    m_model->setOpenEditor({});
    m_model->setOpenConnections({});
    m_model->setOpenWelcome({});
    m_model->eventStore().setConsentPresenter(nullptr);
    delete m_editor.data();
    delete m_connections.data();
    delete m_welcome.data();
    delete m_trayMenu;
}

void App::finishLaunching(const QStringList &arguments)
{
    // Closing the editor or the welcome window must not end the program: only Quit does.
    QApplication::setQuitOnLastWindowClosed(false);
    showCard();
    showTrayIcon();
    installWindowHooks();
    // "Check for Updates…" tells its outcome in a message box; the quiet checks say nothing.
    m_model->updates().setPresenter(std::make_shared<UpdateAlerts>());
    startPlanAlerts();
    // During the first welcome the card welcomes rather than showing what the first refresh of
    // the starting pages ran into; the user has chosen nothing yet.
    const bool welcomeNeeded = m_model->needsWelcome();
    m_model->setWelcoming(welcomeNeeded);
    m_model->startSchedule();
    openLaunchWindows(arguments, welcomeNeeded);
}

void App::handOver(const QStringList &arguments)
{
    if (m_frameWindow) {
        m_frameWindow->show();
        m_frameWindow->window()->raise();
    }
    openLaunchWindows(arguments, false);
}

void App::openLaunchWindows(const QStringList &arguments, bool welcomeNeeded)
{
    if (welcomeNeeded || arguments.contains(QStringLiteral("--welcome")))
        showWelcome();
    if (arguments.contains(QStringLiteral("--edit-layout")))
        showEditor();
    if (arguments.contains(QStringLiteral("--connections")))
        showConnections();
}

void App::showCard()
{
    // The card holds the pictures only as large as it can show them.
    auto *resolution = new PictureResolution(*m_model, this);
    m_frameWindow = std::make_unique<FrameWindow>(*m_model);
    connect(m_frameWindow.get(), &FrameWindow::layerScaleChanged, resolution, &PictureResolution::setLeastPixelRatio);
    // A panel may come and go while the program runs; the card's menu follows it.
    m_frameWindow->watchTray(&QSystemTrayIcon::isSystemTrayAvailable);
    connect(m_frameWindow.get(), &FrameWindow::lookRefused, this, &App::tell);
    m_frameWindow->apply(true);
    m_frameWindow->show();
    m_frameWindow->observe();
    // On a layer surface the card is where it belongs: nothing to tell, unless it has to leave it.
    if (m_frameWindow->onLayerShell())
        connect(m_frameWindow.get(), &FrameWindow::layerShellLeft, this, &App::tellAboutDesktop);
    else
        tellAboutDesktop();
}

void App::tellAboutDesktop()
{
    // A desktop that ignores the card's stacking hints is named once, with what to do about it,
    // and so is a Wayland platform that was asked for and not taken; both in one message.
    QStringList notices;
    if (const QString platform = PlatformChoice::noticeOnce(); !platform.isEmpty())
        notices.append(platform);
    DesktopStacking::tellOnce(DesktopStacking::ignoringDesktop(DesktopStacking::current()),
                              [&notices](const QString &notice) { notices.append(notice); });
    if (!notices.isEmpty())
        tell(notices.join(QStringLiteral("\n\n")));
}

void App::tell(const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tessarine"), message, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // A window rule in the text can be copied.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->show();
}

void App::showTrayIcon()
{
    // Without a tray on the desktop the card's right-click menu is the same menu.
    m_trayMenu = new FrameMenu(*m_model);
    m_tray = new QSystemTrayIcon(MenuBarIcon::icon(), this);
    m_tray->setToolTip(MenuBarIcon::accessibleName());
    m_tray->setContextMenu(m_trayMenu);
    // A plain click opens the menu too, as a menu-bar item does.
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_trayMenu->popup(QCursor::pos());
    });
    m_tray->show();
}

void App::startPlanAlerts()
{
    m_planAlerts = std::make_unique<PlanAlerts>();
    new PlanAlertFeed(*m_model, *m_planAlerts);
    m_planAlerts->watchClaudeReport();
}

void App::installWindowHooks()
{
    const QPointer<App> app(this);
    m_model->setOpenEditor([app] {
        if (app)
            app->showEditor();
    });
    m_model->setOpenConnections([app] {
        if (app)
            app->showConnections();
    });
    m_model->setOpenWelcome([app] {
        if (app)
            app->showWelcome();
    });
}

void App::showEditor()
{
    if (!m_editor) {
        m_editor = new LayoutEditor(*m_model);
        prepareWindow(*m_editor,
                      {QStringLiteral("Edit Layout"), QSize(1320, 820), QStringLiteral("TessarineLayoutEditor")});
    }
    bringToFront(*m_editor);
}

void App::showConnections()
{
    if (!m_connections) {
        m_connections = new ConnectionsView(*m_model);
        prepareWindow(*m_connections,
                      {QStringLiteral("Connections"), QSize(640, 700), QStringLiteral("TessarineConnections")});
    }
    bringToFront(*m_connections);
}

void App::showWelcome()
{
    if (m_welcome) {
        m_welcome->close();
        m_welcome->deleteLater();
        m_welcome.clear();
    }
    const QPointer<App> app(this);
    m_welcome = new OnboardingView(*m_model, [app] {
        if (app && app->m_welcome)
            app->m_welcome->close();
    });
    prepareWindow(*m_welcome, {QStringLiteral("Welcome to Tessarine"), m_welcome->sizeHint(), QString()});
    bringToFront(*m_welcome);
    // Once the welcome closes, the card shows what the refreshes bring, failures included.
    if (QWindow *window = m_welcome->windowHandle()) {
        FrameModel *model = m_model.get();
        connect(window, &QWindow::visibleChanged, model, [model](bool visible) {
            if (!visible)
                model->setWelcoming(false);
        });
    }
}

void App::prepareWindow(QWidget &content, const WindowSetup &setup)
{
    content.setParent(nullptr, Qt::Window);
    content.setWindowTitle(setup.title);
    content.resize(setup.size);
    if (!setup.autosaveName.isEmpty())
        (new FrameAutosave(content, setup.autosaveName))->restore();
    content.setAttribute(Qt::WA_DeleteOnClose, false);
    CloseKeys::install(content);
    // Centred on the main screen at the size remembered or asked for, grown to what the content
    // needs with the desktop's font, and never beyond the screen's free area.
    WindowFit::placeCentred(content, content.size());
}

void App::bringToFront(QWidget &window)
{
    // A window shown again may have been left on a screen that has since gone or shrunk.
    WindowFit::keepOnScreen(window);
    window.show();
    window.raise();
    window.activateWindow();
}
