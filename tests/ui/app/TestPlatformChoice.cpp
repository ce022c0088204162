// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/PlatformChoice.h"

#include <QTest>

using Fallback = PlatformChoice::Fallback;

class TestPlatformChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choosesThePlatform_data();
    void choosesThePlatform();
};

void TestPlatformChoice::choosesThePlatform_data()
{
    QTest::addColumn<QByteArray>("requested");
    QTest::addColumn<bool>("xDisplay");
    QTest::addColumn<bool>("plugin");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QByteArray>("expected"); // empty: QT_QPA_PLATFORM left alone
    QTest::addColumn<int>("fallback");
    QTest::addColumn<bool>("fails");

    const int none = int(Fallback::None);
    const int missing = int(Fallback::PluginMissing);
    const int needed = int(Fallback::DesktopNeedsXWayland);
    QTest::newRow("nothing asked, XWayland there")
        << QByteArray() << true << false << "" << QByteArray("xcb") << none << false;
    QTest::newRow("nothing asked, Wayland only")
        << QByteArray() << false << false << "" << QByteArray() << none << false;
    QTest::newRow("Wayland asked, no plugin")
        << QByteArray("wayland") << true << false << "" << QByteArray("xcb") << missing << false;
    QTest::newRow("Wayland EGL asked, no plugin")
        << QByteArray("wayland-egl") << true << false << "" << QByteArray("xcb") << missing << false;
    QTest::newRow("Wayland then X11 asked, no plugin")
        << QByteArray("wayland;xcb") << true << false << "" << QByteArray("xcb") << missing << false;
    QTest::newRow("Wayland asked, no plugin, no X display")
        << QByteArray("wayland") << false << false << "" << QByteArray() << none << true;
    QTest::newRow("Wayland asked on sway")
        << QByteArray("wayland") << true << true << "sway" << QByteArray("xcb") << needed << false;
    QTest::newRow("Wayland asked on GNOME")
        << QByteArray("wayland") << true << true << "GNOME" << QByteArray("xcb") << needed << false;
    QTest::newRow("Wayland asked on sway without XWayland")
        << QByteArray("wayland") << false << true << "sway" << QByteArray() << none << false;
    QTest::newRow("Wayland asked elsewhere, plugin there")
        << QByteArray("wayland") << true << true << "" << QByteArray() << none << false;
    QTest::newRow("X11 asked") << QByteArray("xcb") << true << false << "sway" << QByteArray() << none << false;
}

void TestPlatformChoice::choosesThePlatform()
{
    QFETCH(QByteArray, requested);
    QFETCH(bool, xDisplay);
    QFETCH(bool, plugin);
    QFETCH(QString, desktop);
    QFETCH(QByteArray, expected);
    QFETCH(int, fallback);
    QFETCH(bool, fails);

    PlatformChoice::Session session;
    session.requested = requested;
    session.waylandDisplay = true;
    session.xDisplay = xDisplay;
    session.waylandPlugin = plugin;
    session.knownDesktop = desktop;
    const PlatformChoice::Choice choice = PlatformChoice::choose(session);

    QCOMPARE(choice.platform.value_or(QByteArray()), expected);
    QCOMPARE(int(choice.fallback), fallback);
    QCOMPARE(!choice.failure.isEmpty(), fails);
    if (fails)
        QVERIFY2(choice.failure.contains(QStringLiteral("qt6-wayland")), qPrintable(choice.failure));
    QCOMPARE(PlatformChoice::notice(choice.fallback).contains(QStringLiteral("XWayland")),
             fallback != int(Fallback::None));
}

QTEST_GUILESS_MAIN(TestPlatformChoice)
#include "TestPlatformChoice.moc"
