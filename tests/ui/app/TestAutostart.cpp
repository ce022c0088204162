// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/Autostart.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/card/FrameMenu.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QAction *menuItem(const QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

// desktop-file-validate's verdict on an entry file, or none without the tool.
std::optional<QString> validationProblems(const QString &path)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {path});
    process.waitForFinished(30000);
    const QString output = QString::fromUtf8(process.readAll());
    return process.exitCode() == 0 ? output.trimmed()
                                   : QStringLiteral("exit %1: %2").arg(process.exitCode()).arg(output);
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void followsTheConfigHome();
    void togglesTheEntryFile();
    void writtenEntryIsValid_data();
    void writtenEntryIsValid();
    void quotesTheProgram_data();
    void quotesTheProgram();
    void unwritableFolderLeavesItOff();
    void menuItemSitsAboveQuit();
    void menuItemReadsAndWritesTheFile();

private:
    std::unique_ptr<QTemporaryDir> m_config;
};

void TestAutostart::init()
{
    // A config home whose autostart folder does not exist yet, as on a fresh account.
    m_config = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_config->filePath(QStringLiteral("config")).toUtf8());
}

void TestAutostart::cleanup()
{
    m_config.reset();
}

void TestAutostart::followsTheConfigHome()
{
    QCOMPARE(Autostart::entryPath(), m_config->filePath(QStringLiteral("config/autostart/tessarine.desktop")));
}

void TestAutostart::togglesTheEntryFile()
{
    QVERIFY(!Autostart::isEnabled());

    QVERIFY(Autostart::setEnabled(true, QStringLiteral("/usr/bin/tessarine")));
    QVERIFY(Autostart::isEnabled());
    const QByteArray written = TestSupport::readFile(Autostart::entryPath());
    QVERIFY(written.startsWith("[Desktop Entry]\n"));
    QVERIFY(written.contains("\nType=Application\n"));
    QVERIFY(written.contains("\nExec=/usr/bin/tessarine\n"));
    // No temporary file of the atomic write stays behind.
    QCOMPARE(QDir(QFileInfo(Autostart::entryPath()).path()).entryList(QDir::Files), QStringList{"tessarine.desktop"});

    // Turning it on again rewrites the entry for the program now running.
    QVERIFY(Autostart::setEnabled(true, QStringLiteral("/opt/tessarine/bin/tessarine")));
    QVERIFY(TestSupport::readFile(Autostart::entryPath()).contains("\nExec=/opt/tessarine/bin/tessarine\n"));

    QVERIFY(Autostart::setEnabled(false, QStringLiteral("/usr/bin/tessarine")));
    QVERIFY(!Autostart::isEnabled());
    QVERIFY(!QFileInfo::exists(Autostart::entryPath()));
    // Already off is not a failure.
    QVERIFY(Autostart::setEnabled(false, QStringLiteral("/usr/bin/tessarine")));
}

void TestAutostart::writtenEntryIsValid_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("plain") << "/usr/bin/tessarine";
    QTest::newRow("spaces, quotes and a dollar") << "/home/ann/My \"Apps\"/$HOME/tessarine";
    QTest::newRow("percent and backslash") << "/opt/100%/back\\slash/tessarine";
}

void TestAutostart::writtenEntryIsValid()
{
    QFETCH(QString, program);
    QVERIFY(Autostart::setEnabled(true, program));
    const std::optional<QString> problems = validationProblems(Autostart::entryPath());
    if (!problems)
        QSKIP("desktop-file-validate is not installed");
    QVERIFY2(problems->isEmpty(), qPrintable(*problems));
}

void TestAutostart::quotesTheProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/usr/bin/tessarine"
                           << "/usr/bin/tessarine";
    QTest::newRow("space") << "/opt/My Apps/tessarine"
                           << "\"/opt/My Apps/tessarine\"";
    // Quoting escapes ", `, $ and \ with a backslash; the entry file's string escaping then
    // doubles each backslash.
    QTest::newRow("dollar") << "/tmp/a$b"
                            << "\"/tmp/a\\\\$b\"";
    QTest::newRow("backslash") << "/tmp/a\\b"
                               << "\"/tmp/a\\\\\\\\b\"";
    QTest::newRow("percent") << "/tmp/100%/tessarine"
                             << "/tmp/100%%/tessarine";
    // A new line in the path cannot start a line of its own in the entry.
    QTest::newRow("new line") << "/tmp/a\nHidden=true"
                              << "\"/tmp/a\\nHidden=true\"";
}

void TestAutostart::quotesTheProgram()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QCOMPARE(Autostart::execArgument(program), exec);
    QVERIFY(!Autostart::entry(program).contains("\nHidden=true"));
}

void TestAutostart::unwritableFolderLeavesItOff()
{
    // The config home is a file: the autostart folder cannot be made.
    QVERIFY(TestSupport::writeFile(m_config->filePath(QStringLiteral("config")), "not a folder"));
    QVERIFY(!Autostart::setEnabled(true, QStringLiteral("/usr/bin/tessarine")));
    QVERIFY(!Autostart::isEnabled());
}

void TestAutostart::menuItemSitsAboveQuit()
{
    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    FrameMenu menu(model);
    const QList<QAction *> actions = menu.actions();
    QCOMPARE(actions.last()->text(), QStringLiteral("Quit Tessarine"));
    QCOMPARE(actions.at(actions.size() - 2)->text(), QStringLiteral("Start at Login"));
    QVERIFY(actions.at(actions.size() - 2)->isCheckable());
}

void TestAutostart::menuItemReadsAndWritesTheFile()
{
    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    FrameMenu menu(model);
    QAction *item = menuItem(menu, QStringLiteral("Start at Login"));
    QVERIFY(item);
    QVERIFY(!item->isChecked());

    item->trigger();
    QVERIFY(Autostart::isEnabled());
    const QByteArray exec =
        "\nExec=" + Autostart::execArgument(QCoreApplication::applicationFilePath()).toUtf8() + '\n';
    QVERIFY(TestSupport::readFile(Autostart::entryPath()).contains(exec));
    menu.rebuild();
    item = menuItem(menu, QStringLiteral("Start at Login"));
    QVERIFY(item->isChecked());

    item->trigger();
    QVERIFY(!Autostart::isEnabled());

    // An entry made elsewhere (by hand, by the desktop's startup settings) shows as on.
    QVERIFY(TestSupport::writeFile(Autostart::entryPath(), "[Desktop Entry]\nType=Application\nExec=tessarine\n"));
    menu.rebuild();
    QVERIFY(menuItem(menu, QStringLiteral("Start at Login"))->isChecked());
}

QTEST_MAIN(TestAutostart)
#include "TestAutostart.moc"
