// SPDX-License-Identifier: GPL-3.0-or-later
// The welcome flow step by step: on a computer with some tools and a GitHub CLI login, on a bare
// computer, while the tools are being looked for, and while GitHub waits for its code; then the
// card after "Finish", drawing the pages that were chosen.
//
// Each computer gets a home, data folder and PATH of its own, with small scripts standing in for
// the tools and a loopback server standing in for GitHub.

#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "ToolGate.h"
#include "ToolMachine.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "render/PageRenderer.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "ui/card/FrameView.h"
#include "ui/card/FrameWindow.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/welcome/GitHubStep.h"
#include "ui/welcome/OnboardingView.h"

#include <QApplication>
#include <QCoroTask>
#include <QPalette>
#include <QTest>
#include <QTextStream>
#include <functional>
#include <memory>

namespace {

constexpr int waitMs = 20000;
constexpr int refreshWaitMs = 120000;
const QString clientIdKey = QStringLiteral("githubClientID");

// One computer of fake tools (the test suites' ToolMachine), with the welcome's stored choices
// forgotten.
class Computer
{
public:
    // What ToolMachine::find() puts there, and "calendar" (the user's consent).
    explicit Computer(const QStringList &things)
    {
        m_machine.enter();
        Defaults::remove(clientIdKey);
        Defaults::remove(CalendarStore::accessKey);
        Defaults::remove(QStringLiteral("onboarded"));
        for (const QString &thing : things) {
            if (thing == QStringLiteral("calendar"))
                CalendarStore().setAuthorization(CalendarStore::Authorization::FullAccess);
            else
                m_machine.find({thing});
        }
    }

    const ToolMachine &machine() const { return m_machine; }
    Configuration configuration() const { return m_machine.configuration(QStringLiteral(TESSARINE_TEST_VIEWS)); }

private:
    ToolMachine m_machine;
};

bool waitFor(const std::function<bool()> &condition, int timeout = waitMs)
{
    return QTest::qWaitFor(condition, timeout);
}

bool complain(const QString &name, const QString &what)
{
    QTextStream(stderr) << name << ": " << what << '\n';
    return false;
}

// A welcome window as the application makes it, shown and done looking at the computer.
struct Window
{
    explicit Window(const Configuration &configuration)
        : model(configuration, std::make_shared<InMemoryCredentialStore>())
        , view(model, [this] { view.close(); })
    {
        view.setWindowTitle(QStringLiteral("Welcome to Tessarine"));
        view.show();
    }

    bool searched()
    {
        return waitFor([this] { return view.preselected(); });
    }

    FrameModel model;
    OnboardingView view;
};

// Saves one picture per step for a computer with these things.
bool shootSteps(const QStringList &things, const QString &suffix, const QList<int> &steps)
{
    Computer computer(things);
    Window window(computer.configuration());
    if (!window.searched())
        return complain(suffix, QStringLiteral("the tools were not found in time"));
    static const QStringList names{QStringLiteral("1-welcome"), QStringLiteral("2-github"), QStringLiteral("3-tools"),
                                   QStringLiteral("4-pages")};
    bool saved = true;
    for (const int step : steps) {
        window.view.setStep(step);
        ScreenshotSupport::settle();
        saved &= ScreenshotSupport::save(&window.view, QStringLiteral("welcome-") + names.at(step) + suffix);
    }
    return saved;
}

// A dark desktop palette, as a dark desktop theme gives Qt.
QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(40, 40, 42));
    palette.setColor(QPalette::WindowText, QColor(236, 236, 238));
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::AlternateBase, QColor(46, 46, 48));
    palette.setColor(QPalette::Text, QColor(236, 236, 238));
    palette.setColor(QPalette::Button, QColor(58, 58, 60));
    palette.setColor(QPalette::ButtonText, QColor(236, 236, 238));
    palette.setColor(QPalette::Highlight, QColor(10, 132, 255));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 124));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 124));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 124));
    return palette;
}

// The same window after the desktop turned dark while it was open.
bool shootDark(const QStringList &things)
{
    Computer computer(things);
    Window window(computer.configuration());
    if (!window.searched())
        return complain(QStringLiteral("dark"), QStringLiteral("the tools were not found in time"));
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkPalette());
    bool saved = true;
    for (const int step : {0, 2, 3}) {
        window.view.setStep(step);
        ScreenshotSupport::settle();
        saved &= ScreenshotSupport::save(&window.view, QStringLiteral("welcome-dark-step%1").arg(step + 1));
    }
    QApplication::setPalette(light);
    return saved;
}

// The tools step while the login shell is still looking.
bool shootSearching()
{
    Computer computer({QStringLiteral("codex")});
    // The GitHub CLI holds the search until the picture is taken.
    ToolGate gate(computer.machine().path(QStringLiteral("gate")));
    computer.machine().tool(QStringLiteral("gh"), "#!/bin/sh\n" + gate.waitLine() + "\n");
    Window window(computer.configuration());
    window.view.setStep(2);
    ScreenshotSupport::settle();
    if (!window.view.state().isChecking())
        return complain(QStringLiteral("searching"), QStringLiteral("the search ended too soon"));
    const bool saved = ScreenshotSupport::save(&window.view, QStringLiteral("welcome-3-tools-searching"));
    gate.open();
    waitFor([&] { return !window.view.state().isChecking(); });
    return saved;
}

// The GitHub step while GitHub waits for the user to enter the code.
bool shootWaiting()
{
    Computer computer({QStringLiteral("claude")});
    FakeHttpServer github;
    Configuration configuration = computer.configuration();
    configuration.gitHubWeb = github.start();
    FakeHttpServer::Reply code;
    code.body = R"({"device_code": "dc-1", "user_code": "WDJB-MJHT", "interval": 5,
                    "verification_uri": "https://github.com/login/device"})";
    github.setReply("POST /login/device/code", code);
    FakeHttpServer::Reply pending;
    pending.body = R"({"error": "authorization_pending"})";
    github.setReply("POST /login/oauth/access_token", pending);
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.screenshot"));

    Window window(configuration);
    if (!window.searched())
        return complain(QStringLiteral("waiting"), QStringLiteral("the tools were not found in time"));
    window.view.setStep(1);
    window.model.github().signIn();
    const ConnectionRowWidget *row = window.view.findChild<GitHubStep *>()->row();
    if (!waitFor([&] { return row->detail().startsWith(QStringLiteral("Enter this code")); }))
        return complain(QStringLiteral("waiting"), QStringLiteral("GitHub's code never came"));
    ScreenshotSupport::settle();
    const bool saved = ScreenshotSupport::save(&window.view, QStringLiteral("welcome-2-github-waiting"));
    QCoro::waitFor(window.model.github().cancel());
    Defaults::remove(clientIdKey);
    return saved;
}

// "Finish" on the pages step, then the card once the chosen pages are drawn.
bool shootFinished()
{
    Computer computer({QStringLiteral("claude"), QStringLiteral("codex"), QStringLiteral("calendar")});
    auto window = std::make_unique<Window>(computer.configuration());
    if (!window->searched())
        return complain(QStringLiteral("finished"), QStringLiteral("the tools were not found in time"));
    window->view.setStep(3);
    window->view.next();
    FrameModel &model = window->model;
    if (!waitFor([&] { return !model.isRefreshing(); }, refreshWaitMs))
        return complain(QStringLiteral("finished"), QStringLiteral("the refresh did not end"));
    if (model.errorLine())
        complain(QStringLiteral("finished"), *model.errorLine());

    FrameWindow card(model);
    card.apply(true);
    card.show();
    bool saved = true;
    for (const QString &view : model.manifest() ? model.manifest()->pageNames : QStringList()) {
        model.setView(view);
        ScreenshotSupport::settle(900);
        saved &= ScreenshotSupport::save(card.window(), QStringLiteral("welcome-finished-card-") + view);
    }
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    PageRenderer::prepareEnvironment();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    bool saved = true;

    const QStringList someTools{QStringLiteral("gh"), QStringLiteral("claude"), QStringLiteral("codex"),
                                QStringLiteral("gemini"), QStringLiteral("wispr")};
    saved &= shootSteps(someTools, QString(), {0, 1, 2, 3});
    saved &= shootSteps({}, QStringLiteral("-bare"), {1, 2, 3});
    saved &= shootDark(someTools);
    saved &= shootSearching();
    saved &= shootWaiting();
    saved &= shootFinished();
    return saved ? 0 : 1;
}
