// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// Stands in for the program: notes how it was started, and in the unattended mode leaves two
// pictures in the screens folder it was given (if any) and reports as told.
const QByteArray fakeProgram = R"(#!/bin/sh
echo "refresh-test=${APP_REFRESH_TEST:-unset} args=$*" > "$FAKE_LOG"
if [ -n "${APP_REFRESH_TEST:-}" ]; then
    if [ -n "${FAKE_SCREENS:-}" ]; then
        mkdir -p "$FAKE_SCREENS"
        : > "$FAKE_SCREENS/page0-mono-light.png"
        : > "$FAKE_SCREENS/page0-mono-dark.png"
    fi
    echo "$FAKE_LINE"
    exit "$FAKE_STATUS"
fi
echo "card shown"
)";

} // namespace

// scripts/run, behind `make run`: with a display it starts the program as it is; without one it
// runs the unattended refresh and then says where the pictures are.
class TestRunScript : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void startsOrRefreshes_data();
    void startsOrRefreshes();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRunScript::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QDir().mkpath(m_dir->filePath(QStringLiteral("build")));
    QVERIFY(!TestSupport::writeScript(m_dir->filePath(QStringLiteral("build/tessarine")), fakeProgram).isEmpty());
}

void TestRunScript::startsOrRefreshes_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("screens");
    QTest::addColumn<bool>("picturesMade");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QStringList>("output");

    const QString xdgScreens = QStringLiteral("<data>/Tessarine/screens");
    QTest::newRow("no display, good refresh")
        << QString() << QString() << true << 0 << "refresh-test=1 args=--welcome"
        << QStringList{"refresh ok in 0.4s",
                       "Pictures, data.json and manifest.json are in " + xdgScreens + "/:", "  page0-mono-dark.png",
                       "  page0-mono-light.png"};
    QTest::newRow("no display, failed refresh, screens elsewhere")
        << QString() << "<tmp>/elsewhere" << false << 1 << "refresh-test=1 args=--welcome"
        << QStringList{"refresh failed: GitHub 502: request failed in 0.4s",
                       "No pictures yet: <tmp>/elsewhere/ does not exist."};
    QTest::newRow("X11 display") << "DISPLAY" << QString() << false << 0 << "refresh-test=unset args=--welcome"
                                 << QStringList{"card shown"};
    QTest::newRow("Wayland display") << "WAYLAND_DISPLAY" << QString() << false << 0
                                     << "refresh-test=unset args=--welcome" << QStringList{"card shown"};
}

void TestRunScript::startsOrRefreshes()
{
    QFETCH(QString, display);
    QFETCH(QString, screens);
    QFETCH(bool, picturesMade);
    QFETCH(int, status);
    QFETCH(QString, started);
    QFETCH(QStringList, output);

    const QString data = m_dir->filePath(QStringLiteral("data"));
    const auto expand = [&](QString text) {
        return text.replace(QStringLiteral("<data>"), data).replace(QStringLiteral("<tmp>"), m_dir->path());
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "TESSARINE_SCREENS", "APP_REFRESH_TEST"})
        environment.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        environment.insert(display, QStringLiteral(":7"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    if (!screens.isEmpty())
        environment.insert(QStringLiteral("TESSARINE_SCREENS"), expand(screens));
    if (picturesMade)
        environment.insert(QStringLiteral("FAKE_SCREENS"), expand(QStringLiteral("<data>/Tessarine/screens")));
    environment.insert(QStringLiteral("FAKE_LOG"), m_dir->filePath(QStringLiteral("started.txt")));
    environment.insert(QStringLiteral("FAKE_LINE"),
                       status == 0 ? QStringLiteral("refresh ok in 0.4s")
                                   : QStringLiteral("refresh failed: GitHub 502: request failed in 0.4s"));
    environment.insert(QStringLiteral("FAKE_STATUS"), QString::number(status));

    QProcess script;
    script.setProcessEnvironment(environment);
    script.start(QStringLiteral(TESSARINE_SOURCE_DIR "/scripts/run"),
                 {m_dir->filePath(QStringLiteral("build")), QStringLiteral("--welcome")});
    QVERIFY(script.waitForFinished(30000));

    QCOMPARE(script.exitCode(), status);
    QCOMPARE(TestSupport::readFile(m_dir->filePath(QStringLiteral("started.txt"))).trimmed(), started.toUtf8());
    QStringList expected;
    for (const QString &line : output)
        expected.append(expand(line));
    QCOMPARE(QString::fromUtf8(script.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts), expected);
}

QTEST_GUILESS_MAIN(TestRunScript)
#include "TestRunScript.moc"
