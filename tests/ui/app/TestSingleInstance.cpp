// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "ui/app/App.h"
#include "ui/app/SingleInstance.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>

using namespace std::chrono_literals;

namespace {

// A probe process (see SingleInstanceProbe.cpp) and the lines it printed.
class Probe
{
public:
    Probe(const QString &directory, const QStringList &arguments)
    {
        m_process.start(QStringLiteral(PROBE_BINARY), QStringList{directory} + arguments);
    }
    ~Probe()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Waits for the next line, or gives an empty one after the time-out. The test's own event
    // loop keeps running meanwhile, for a running instance that lives in the test.
    QString nextLine(int timeoutMs = 15000)
    {
        const bool ended = QTest::qWaitFor(
            [this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; }, timeoutMs);
        if (!ended)
            return {};
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    bool finished(int timeoutMs = 15000)
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    }
    int exitCode() const { return m_process.exitCode(); }
    // As a crash would: no destructor, no clean-up.
    void crash()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

// Hands `arguments` over from a thread of its own, as a second process would, while the test's
// event loop serves the running instance.
class SecondStart
{
public:
    SecondStart(const QString &directory, const QStringList &arguments)
        : m_thread(QThread::create([this, directory, arguments] {
            SingleInstance second(directory);
            m_outcome = second.start(arguments);
        }))
    {
        m_thread->start();
    }
    ~SecondStart() { m_thread->wait(); }
    bool done() const { return m_thread->isFinished(); }
    SingleInstance::Outcome outcome() const { return m_outcome; }

private:
    std::atomic<SingleInstance::Outcome> m_outcome{SingleInstance::Outcome::NoAnswer};
    std::unique_ptr<QThread> m_thread;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstStartRuns();
    void laterStartHandsOverItsArguments_data();
    void laterStartHandsOverItsArguments();
    void crashedInstanceDoesNotBlockANewStart();
    void deadSocketWithoutLockIsReplaced();
    void liveLockWithoutAnswerGivesUp();
    void stoppedInstanceFreesTheSession();
    void appBringsTheAskedWindows();
    void programHandsOverToTheRunningCard();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestSingleInstance::cleanup()
{
    m_dir.reset();
}

void TestSingleInstance::firstStartRuns()
{
    SingleInstance instance(m_dir->path());
    QCOMPARE(instance.start({}), SingleInstance::Outcome::Running);
    QVERIFY(QFileInfo::exists(instance.lockPath()));
    QVERIFY(QFileInfo::exists(instance.socketPath()));
    // Only this user may talk to the socket.
    QCOMPARE(QFileInfo(instance.socketPath()).permissions() & (QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
    // By default both live in the user's runtime directory.
    QCOMPARE(SingleInstance::defaultDirectory(), qEnvironmentVariable("XDG_RUNTIME_DIR"));
}

void TestSingleInstance::laterStartHandsOverItsArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("none") << QStringList{};
    QTest::newRow("windows") << QStringList{"--connections", "--welcome"};
    QTest::newRow("text that needs escaping") << QStringList{"--edit-layout", "\"quoted\"\n\\ ü"};
}

void TestSingleInstance::laterStartHandsOverItsArguments()
{
    QFETCH(QStringList, arguments);
    SingleInstance running(m_dir->path());
    QCOMPARE(running.start({}), SingleInstance::Outcome::Running);
    QSignalSpy activated(&running, &SingleInstance::activated);

    SecondStart second(m_dir->path(), arguments);
    QTRY_VERIFY_WITH_TIMEOUT(second.done(), 10000);
    QCOMPARE(second.outcome(), SingleInstance::Outcome::HandedOver);
    QTRY_COMPARE(activated.size(), 1);
    QCOMPARE(activated.first().first().toStringList(), arguments);
}

void TestSingleInstance::crashedInstanceDoesNotBlockANewStart()
{
    Probe first(m_dir->path(), {});
    QCOMPARE(first.nextLine(), QStringLiteral("running"));
    first.crash();
    // The crash left its lock and its socket behind.
    QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("tessarine.lock"))));
    QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("tessarine.socket"))));

    Probe next(m_dir->path(), {});
    QCOMPARE(next.nextLine(), QStringLiteral("running"));

    // And it answers later starts.
    Probe later(m_dir->path(), {"--edit-layout"});
    QCOMPARE(later.nextLine(), QStringLiteral("handed-over"));
    QVERIFY(later.finished());
    QCOMPARE(later.exitCode(), 0);
    QCOMPARE(next.nextLine(), QStringLiteral("activated --edit-layout"));
}

void TestSingleInstance::deadSocketWithoutLockIsReplaced()
{
    // A socket file nobody listens on (its lock already gone).
    {
        Probe crashed(m_dir->path(), {});
        QCOMPARE(crashed.nextLine(), QStringLiteral("running"));
        crashed.crash();
    }
    QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("tessarine.lock"))));

    SingleInstance instance(m_dir->path());
    QCOMPARE(instance.start({}), SingleInstance::Outcome::Running);
    Probe later(m_dir->path(), {"--welcome"});
    QCOMPARE(later.nextLine(), QStringLiteral("handed-over"));
}

void TestSingleInstance::liveLockWithoutAnswerGivesUp()
{
    // A live process (this test) holds the lock but never listens.
    QLockFile lock(m_dir->filePath(QStringLiteral("tessarine.lock")));
    QVERIFY(lock.tryLock(0));

    QElapsedTimer clock;
    clock.start();
    Probe later(m_dir->path(), {"--welcome"});
    QCOMPARE(later.nextLine(20000), QStringLiteral("no-answer"));
    QVERIFY(later.finished());
    QCOMPARE(later.exitCode(), 1);
    QVERIFY2(clock.elapsed() < 15000, "a hung instance must not keep a later start waiting long");
}

void TestSingleInstance::stoppedInstanceFreesTheSession()
{
    {
        SingleInstance instance(m_dir->path());
        QCOMPARE(instance.start({}), SingleInstance::Outcome::Running);
    }
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("tessarine.lock"))));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("tessarine.socket"))));
    Probe next(m_dir->path(), {});
    QCOMPARE(next.nextLine(), QStringLiteral("running"));
}

void TestSingleInstance::appBringsTheAskedWindows()
{
    App app(TestSupport::configuration());
    QVERIFY(!app.connectionsWindow());
    app.handOver({"--connections"});
    QVERIFY(app.connectionsWindow());
    QVERIFY(app.connectionsWindow()->isVisible());
    QVERIFY(!app.editorWindow());
    QVERIFY(!app.welcomeWindow());

    app.handOver({"--edit-layout", "--welcome"});
    QVERIFY(app.editorWindow() && app.editorWindow()->isVisible());
    QVERIFY(app.welcomeWindow() && app.welcomeWindow()->isVisible());
}

void TestSingleInstance::programHandsOverToTheRunningCard()
{
    const QString socket = QDir(SingleInstance::defaultDirectory()).filePath(QStringLiteral("tessarine.socket"));
    QProcess card;
    card.start(QStringLiteral(TESSARINE_BINARY), {});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 60000);

    // A second start asks the running card and leaves.
    QProcess second;
    second.start(QStringLiteral(TESSARINE_BINARY), {"--connections"});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(card.state(), QProcess::Running);

    // The unattended snapshot export is not limited to one instance: it draws the pictures.
    QTemporaryDir work;
    const QString screens = work.filePath(QStringLiteral("screens"));
    QVERIFY(QDir().mkpath(screens));
    const QDir fixtures(TestSupport::fixturePath(QStringLiteral("ui/screens")));
    for (const QString &name : fixtures.entryList(QDir::Files))
        QVERIFY(QFile::copy(fixtures.filePath(name), QDir(screens).filePath(name)));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TESSARINE_SCREENS"), screens);
    environment.insert(QStringLiteral("APP_SNAPSHOT"), work.filePath(QStringLiteral("snapshots")));
    QProcess snapshot;
    snapshot.setProcessEnvironment(environment);
    snapshot.start(QStringLiteral(TESSARINE_BINARY), {});
    QVERIFY(snapshot.waitForFinished(120000));
    QCOMPARE(snapshot.exitCode(), 0);
    QVERIFY(snapshot.readAllStandardOutput().contains("snapshot mono-page0-light.png\n"));
    QVERIFY(QFileInfo::exists(work.filePath(QStringLiteral("snapshots/mono-page0-light.png"))));
    QCOMPARE(card.state(), QProcess::Running);

    card.kill();
    card.waitForFinished();
}

QTEST_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
