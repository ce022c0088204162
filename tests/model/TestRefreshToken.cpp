// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace RefreshSupport;

// The token a refresh takes from the GitHub command-line tool when Tessarine holds none of its
// own, with real login shells and a real fake "gh": a profile that talks, and output that tries to
// smuggle a header.
class TestRefreshToken : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeHttpServer> m_github;

    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }

    void serveGitHub()
    {
        m_github->setReply("POST /graphql",
                           jsonReply(200, TestSupport::fixture(QStringLiteral("refresh/github-graphql.json"))));
        m_github->setReply("GET /users/octo-cat/events",
                           jsonReply(200, TestSupport::fixture(QStringLiteral("refresh/github-events.json"))));
    }

    // Runs one refresh of a GitHub page and hands back what went wrong: its error line, else
    // what GitHub's section ran into.
    std::optional<QString> refresh()
    {
        FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
        model.refresh();
        if (!waitUntilIdle(model))
            return QStringLiteral("(the refresh did not end)");
        if (model.lastRunError())
            return model.lastRunError();
        return model.refresher().sourceProblem();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(startRefreshCase(*m_dir));
        m_github = std::make_unique<FakeHttpServer>();
        qputenv("TESSARINE_GITHUB_API", m_github->start().toUtf8());
        serveGitHub();
        writeSettings(screens(), {page("full", {"github.year"})});
    }

    void cleanup()
    {
        m_github.reset();
        m_dir.reset();
    }

    void tokenAfterAProfileGreeting_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::newRow("a greeting line") << QByteArray("echo 'Welcome back, octo!'\n");
        QTest::newRow("blank lines and a notice") << QByteArray("printf '\\n  Mail waits  \\n\\n'\n");
        QTest::newRow("no greeting") << QByteArray();
    }

    void tokenAfterAProfileGreeting()
    {
        QFETCH(QByteArray, greeting);
        const QString profile = QDir::homePath() + QStringLiteral("/.profile");
        TestSupport::writeFile(profile, TestSupport::readFile(profile) + greeting);
        FakeTools::install(QStringLiteral("gh"), "[ \"$1 $2\" = \"auth token\" ] && printf 'gho_fromcli\\n'\n");

        QCOMPARE(refresh(), std::nullopt);
        QVERIFY(!m_github->requests().isEmpty());
        for (const FakeHttpServer::Request &request : m_github->requests())
            QCOMPARE(request.headers.value("authorization"), QByteArray("Bearer gho_fromcli"));
    }

    void outputThatIsNoTokenIsNoToken_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("a header after a line feed") << QByteArray("gho_fromcli\\nX-Injected: yes\\n");
        QTest::newRow("a header after a carriage return") << QByteArray("gho_fromcli\\rX-Injected: yes");
        QTest::newRow("a sentence") << QByteArray("You are not logged in to any GitHub hosts\\n");
        QTest::newRow("an escape sequence") << QByteArray("gho_\\033[31mred\\n");
    }

    void outputThatIsNoTokenIsNoToken()
    {
        QFETCH(QByteArray, output);
        FakeTools::install(QStringLiteral("gh"), "printf '" + output + "'\n");

        QCOMPARE(refresh(),
                 std::optional<QString>(QStringLiteral(
                     "GitHub not updated: Sign in to GitHub in Connections, or remove the GitHub widgets.")));
        // Without a token GitHub is not asked at all, so nothing of the output reached a header.
        QVERIFY(m_github->requests().isEmpty());
    }
};

int main(int argc, char *argv[])
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication application(argc, argv);
    TestRefreshToken test;
    return QTest::qExec(&test, argc, argv);
}
#include "TestRefreshToken.moc"
