// SPDX-License-Identifier: GPL-3.0-or-later
// The welcome flow step by step: on a computer with some tools and a GitHub CLI login, on a bare
// computer, while the tools are being looked for, and while GitHub waits for its code; then the
// card after "Finish", drawing the pages that were chosen.
//
// Each computer gets a home, data folder and PATH of its own, with small scripts standing in for
// the tools and a loopback server standing in for GitHub.

#include "RunConfiguration.h"
#include "ScreenshotSupport.h"
#include "TestSupport.h"
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
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <functional>
#include <memory>

namespace {

using TestSupport::writeFile;
using TestSupport::writeScript;

constexpr int waitMs = 20000;
constexpr int refreshWaitMs = 120000;
const QString clientIdKey = QStringLiteral("githubClientID");

// One computer's private corner of the disk, set as the environment the program reads.
class Computer
{
public:
    // "gh" (signed in as octo-cat), "slow-gh" (answers after a few seconds), "codex", "grok",
    // "gemini", "claude" (Claude Code's directory), "wispr" (its database), "calendar" (consent).
    explicit Computer(const QStringList &things)
    {
        m_bin = m_root.filePath(QStringLiteral("bin"));
        const QString home = m_root.filePath(QStringLiteral("home"));
        const QString data = m_root.filePath(QStringLiteral("data"));
        QDir().mkpath(m_bin);
        QDir().mkpath(home);
        // zsh keeps the PATH it is given, where a login bash or sh would take it from /etc/profile.
        const QString zsh = QStandardPaths::findExecutable(QStringLiteral("zsh"));
        if (!zsh.isEmpty())
            qputenv("SHELL", QFile::encodeName(zsh));
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("PATH", QFile::encodeName(m_bin));
        qputenv("TESSARINE_SCREENS", QFile::encodeName(m_root.filePath(QStringLiteral("screens"))));
        qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
        Defaults::remove(clientIdKey);
        Defaults::remove(CalendarStore::accessKey);
        Defaults::remove(QStringLiteral("onboarded"));
        for (const QString &thing : things)
            install(thing, home, data);
    }

private:
    void install(const QString &thing, const QString &home, const QString &data) const
    {
        const QString tool = m_bin + QLatin1Char('/') + thing;
        if (thing == QStringLiteral("gh"))
            writeScript(tool, "#!/bin/sh\n[ \"$1 $2\" = 'api user' ] && echo octo-cat\n");
        else if (thing == QStringLiteral("slow-gh"))
            writeScript(m_bin + QStringLiteral("/gh"), "#!/bin/sh\n/bin/sleep 4\n");
        else if (thing == QStringLiteral("claude"))
            QDir().mkpath(home + QStringLiteral("/.claude"));
        else if (thing == QStringLiteral("wispr"))
            writeFile(data + QStringLiteral("/Wispr Flow/flow.sqlite"), QByteArray());
        else if (thing == QStringLiteral("calendar"))
            CalendarStore().setAuthorization(CalendarStore::Authorization::FullAccess);
        else
            writeScript(tool, "#!/bin/sh\nexit 1\n");
    }

    QTemporaryDir m_root;
    QString m_bin;
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
    Window()
        : model(std::make_shared<InMemoryCredentialStore>(), nullptr)
        , view(model, [this] { view.close(); })
    {
        view.setWindowTitle(QStringLiteral("Welcome to Tessarine"));
        view.show();
    }

    bool searched()
    {
        return waitFor([this] { return view.preselected(); });
    }

    FrameModel model(TestSupport::configuration());
    OnboardingView view;
};

// Saves one picture per step for a computer with these things.
bool shootSteps(const QStringList &things, const QString &suffix, const QList<int> &steps)
{
    Computer computer(things);
    Window window;
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
    Window window;
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
    Computer computer({QStringLiteral("slow-gh"), QStringLiteral("codex")});
    Window window;
    window.view.setStep(2);
    ScreenshotSupport::settle();
    if (!window.view.state().isChecking())
        return complain(QStringLiteral("searching"), QStringLiteral("the search ended too soon"));
    const bool saved = ScreenshotSupport::save(&window.view, QStringLiteral("welcome-3-tools-searching"));
    waitFor([&] { return !window.view.state().isChecking(); });
    return saved;
}

// The GitHub step while GitHub waits for the user to enter the code.
bool shootWaiting()
{
    Computer computer({QStringLiteral("claude")});
    FakeHttpServer github;
    qputenv("TESSARINE_GITHUB_WEB", github.start().toUtf8());
    FakeHttpServer::Reply code;
    code.body = R"({"device_code": "dc-1", "user_code": "WDJB-MJHT", "interval": 5,
                    "verification_uri": "https://github.com/login/device"})";
    github.setReply("POST /login/device/code", code);
    FakeHttpServer::Reply pending;
    pending.body = R"({"error": "authorization_pending"})";
    github.setReply("POST /login/oauth/access_token", pending);
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.screenshot"));

    Window window;
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
    qunsetenv("TESSARINE_GITHUB_WEB");
    return saved;
}

// "Finish" on the pages step, then the card once the chosen pages are drawn.
bool shootFinished()
{
    Computer computer({QStringLiteral("claude"), QStringLiteral("codex"), QStringLiteral("calendar")});
    auto window = std::make_unique<Window>();
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
