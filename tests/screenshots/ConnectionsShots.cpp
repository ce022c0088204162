// SPDX-License-Identifier: GPL-3.0-or-later
// The connections window in the states that matter: nothing installed, everything connected (also
// in a dark appearance), GitHub waiting for the user to enter a code, and a Claude Code set-up
// that failed.
//
// Each state gets a home, data folder and PATH of its own, with small scripts standing in for
// the tools and a loopback server standing in for GitHub.

#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "ToolMachine.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "services/GitHubAuthToken.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/connections/ConnectionsView.h"

#include <QApplication>
#include <QDateTime>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include <QCoro/QCoroTask>
#include <functional>
#include <memory>

namespace {

using TestSupport::writeFile;

constexpr int waitMs = 15000;
const QString clientIdKey = QStringLiteral("githubClientID");

// One state's computer of fake tools (the test suites' ToolMachine), with the window's stored
// choices forgotten.
class Scene
{
public:
    Scene()
    {
        m_machine.enter();
        Defaults::remove(clientIdKey);
        Defaults::remove(CalendarStore::accessKey);
    }

    // A command-line tool on the PATH; "gh api user" answers with `login` when one is given.
    void tool(const QString &name, const QByteArray &login = QByteArray()) const
    {
        QByteArray body = "#!/bin/sh\n";
        if (!login.isEmpty())
            body += "[ \"$1 $2\" = 'api user' ] && printf '" + login + "'\n";
        m_machine.tool(name, body);
    }

    void file(const QString &relativeToRoot, const QByteArray &bytes) const
    {
        writeFile(m_machine.path(relativeToRoot), bytes);
    }

    QString home() const { return m_machine.home(); }
    // No catalogue, so a refresh asked for by the window draws nothing.
    Configuration configuration() const { return m_machine.configuration(); }

private:
    ToolMachine m_machine;
};

bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, waitMs);
}

QPushButton *visibleButton(const QWidget *root, const QString &text)
{
    for (QPushButton *button : root->findChildren<QPushButton *>()) {
        if (button->text() == text && button->isVisible())
            return button;
    }
    return nullptr;
}

// Shows the window as the application does, waits for its look at the computer and saves it.
bool shoot(FrameModel &model, const QString &name, const std::function<void(ConnectionsView &)> &act = {})
{
    ConnectionsView view(model);
    view.setWindowTitle(QStringLiteral("Connections"));
    view.resize(640, 700);
    view.show();
    if (!waitFor([&] { return !view.state().isChecking(); })) {
        QTextStream(stderr) << name << ": the tool probe did not finish\n";
        return false;
    }
    if (act)
        act(view);
    ScreenshotSupport::settle();
    const bool saved = ScreenshotSupport::save(&view, name);
    waitFor([&] { return !model.isRefreshing() && !view.state().isChecking(); });
    return saved;
}

bool nothingInstalled()
{
    Scene scene;
    FrameModel model(scene.configuration(), std::make_shared<InMemoryCredentialStore>());
    return shoot(model, QStringLiteral("connections-nothing-installed"));
}

bool everythingConnected(const QString &name)
{
    Scene scene;
    for (const QString &tool : QStringList{"codex", "grok", "gemini", "claude"})
        scene.tool(tool);
    scene.tool(QStringLiteral("gh"), "octocat");
    scene.file(QStringLiteral("screens/data.json"), R"({"ai": {"providers": [
        {"id": "claude", "status": "ok"}, {"id": "codex", "status": "ok", "plan": "plus"},
        {"id": "grok", "status": "ok"}, {"id": "wispr", "status": "ok"}]}})");
    scene.file(QStringLiteral("data/Wispr Flow/flow.sqlite"), "SQLite format 3");
    writeFile(scene.home() + QStringLiteral("/.claude/settings.json"),
              R"({"statusLine": {"type": "command", "command": "'/opt/Tessarine/claude-statusline.sh'"}})");
    const QDateTime reported(QDate::currentDate(), QTime(9, 5));
    scene.file(QStringLiteral("data/Tessarine/claude.json"),
               R"({"savedAt": ")" + reported.toUTC().toString(Qt::ISODate).toUtf8() + R"("})");
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.screenshots"));

    auto store = std::make_shared<InMemoryCredentialStore>();
    const GitHubAuthToken token{QStringLiteral("gho_shots"), std::nullopt, std::nullopt, QStringLiteral("octocat")};
    QCoro::waitFor(store->add(GitHubAuth::storeService, GitHubAuth::storeAccount, token.toJson()));
    FrameModel model(scene.configuration(), store);
    model.eventStore().setAuthorization(CalendarStore::Authorization::FullAccess);
    waitFor([&] { return model.github().state().kind() == GitHubAuthState::Kind::SignedIn; });
    return shoot(model, name);
}

bool gitHubWaitingForCode()
{
    Scene scene;
    scene.tool(QStringLiteral("codex"));
    scene.tool(QStringLiteral("claude"));
    writeFile(scene.home() + QStringLiteral("/.claude/settings.json"), "{}");
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.screenshots"));
    FakeHttpServer github;
    Configuration configuration = scene.configuration();
    configuration.gitHubWeb = github.start();
    FakeHttpServer::Reply code;
    code.body = R"({"device_code": "dc-1", "user_code": "WDJB-MJHT", "interval": 60,
                    "verification_uri": "https://github.com/login/device"})";
    github.setReply("POST /login/device/code", code);

    FrameModel model(configuration, std::make_shared<InMemoryCredentialStore>());
    const bool saved = shoot(model, QStringLiteral("connections-github-waiting"), [&](ConnectionsView &) {
        model.github().signIn();
        waitFor([&] { return model.github().state().kind() == GitHubAuthState::Kind::Waiting; });
    });
    model.github().cancel();
    return saved;
}

bool failedClaudeSetUp()
{
    Scene scene;
    scene.tool(QStringLiteral("claude"));
    scene.tool(QStringLiteral("gh"));
    writeFile(scene.home() + QStringLiteral("/.claude/settings.json"), R"(["not", "an object"])");
    FrameModel model(scene.configuration(), std::make_shared<InMemoryCredentialStore>());
    model.eventStore().setAuthorization(CalendarStore::Authorization::Denied);
    return shoot(model, QStringLiteral("connections-claude-setup-failed"), [](ConnectionsView &view) {
        if (QPushButton *setUp = visibleButton(view.row(QStringLiteral("claude")), QStringLiteral("Set Up")))
            setUp->click();
    });
}

// A desktop in its dark appearance, as a dark platform theme would give it.
QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(40, 40, 42));
    palette.setColor(QPalette::WindowText, QColor(235, 235, 240));
    palette.setColor(QPalette::Button, QColor(62, 62, 66));
    palette.setColor(QPalette::ButtonText, QColor(235, 235, 240));
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::Text, QColor(235, 235, 240));
    palette.setColor(QPalette::Highlight, QColor(10, 132, 255));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ToolMachine::zsh(); // looked up while the PATH is still the caller's
    bool ok = true;
    ok = nothingInstalled() && ok;
    ok = everythingConnected(QStringLiteral("connections-everything-connected")) && ok;
    ok = gitHubWaitingForCode() && ok;
    ok = failedClaudeSetUp() && ok;
    QApplication::setPalette(darkPalette());
    ok = everythingConnected(QStringLiteral("connections-everything-connected-dark")) && ok;
    Defaults::remove(clientIdKey);
    Defaults::remove(CalendarStore::accessKey);
    return ok ? 0 : 1;
}
