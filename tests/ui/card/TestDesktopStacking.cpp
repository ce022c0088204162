// SPDX-License-Identifier: GPL-3.0-or-later
// Which desktops keep the card beneath windows and on every workspace, and the notice given
// once where they do not.

#include "TestSupport.h"
#include "platform/Defaults.h"
#include "ui/card/DesktopStacking.h"

#include <QTest>

class TestDesktopStacking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestSupport::clearDefaults(); }
    void ignoringDesktop_data();
    void ignoringDesktop();
    void noticeIsGivenOncePerDesktop();
    void noticeSaysWhatToDo_data();
    void noticeSaysWhatToDo();
};

void TestDesktopStacking::ignoringDesktop_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("currentDesktop");
    QTest::addColumn<bool>("swaySocket");
    QTest::addColumn<QString>("windowManager");
    QTest::addColumn<QString>("expected");
    QTest::newRow("GNOME through XWayland") << "xcb"
                                            << "GNOME" << false << "GNOME Shell"
                                            << "";
    QTest::newRow("KDE through XWayland") << "xcb"
                                          << "KDE" << false << "KWin"
                                          << "";
    QTest::newRow("X11 without a desktop name") << "xcb"
                                                << "" << false << "Openbox"
                                                << "";
    QTest::newRow("sway through XWayland") << "xcb"
                                           << "" << true << "wlroots wm"
                                           << "sway";
    QTest::newRow("sway session name") << "xcb"
                                       << "sway" << false << "wlroots wm"
                                       << "sway";
    QTest::newRow("another wlroots compositor") << "xcb"
                                                << "river" << false << "wlroots wm"
                                                << "river";
    QTest::newRow("an unnamed wlroots compositor") << "xcb"
                                                   << "" << false << "wlroots wm"
                                                   << "wlroots";
    QTest::newRow("no window manager answers, sway") << "xcb"
                                                     << "" << true << ""
                                                     << "sway";
    QTest::newRow("a stale sway socket under KWin") << "xcb"
                                                    << "KDE" << true << "KWin"
                                                    << "";
    QTest::newRow("native Wayland") << "wayland"
                                    << "GNOME" << false << ""
                                    << "Wayland";
    QTest::newRow("no window system") << "offscreen"
                                      << "sway" << true << ""
                                      << "";
}

void TestDesktopStacking::ignoringDesktop()
{
    QFETCH(QString, platform);
    QFETCH(QString, currentDesktop);
    QFETCH(bool, swaySocket);
    QFETCH(QString, windowManager);
    QFETCH(QString, expected);
    QCOMPARE(DesktopStacking::ignoringDesktop({platform, currentDesktop, swaySocket, windowManager}), expected);
}

void TestDesktopStacking::noticeIsGivenOncePerDesktop()
{
    QStringList told;
    const auto tell = [&told](const QString &notice) { told.append(notice); };
    QVERIFY(!DesktopStacking::tellOnce(QString(), tell));
    QVERIFY(DesktopStacking::tellOnce(QStringLiteral("sway"), tell));
    QVERIFY(!DesktopStacking::tellOnce(QStringLiteral("sway"), tell));
    QCOMPARE(told.size(), 1);
    // Kept across runs, in the defaults store.
    QCOMPARE(Defaults::stringValue(DesktopStacking::noticeKey()), QStringLiteral("sway"));
    QVERIFY(DesktopStacking::tellOnce(QStringLiteral("Wayland"), tell));
    QCOMPARE(told.size(), 2);
}

void TestDesktopStacking::noticeSaysWhatToDo_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("remedy");
    QTest::newRow("sway") << "sway" << DesktopStacking::swayRule();
    QTest::newRow("river") << "river"
                           << "sticky floating rule";
    QTest::newRow("native Wayland") << "Wayland"
                                    << "without QT_QPA_PLATFORM=wayland";
    QTest::newRow("native Wayland on sway") << "Wayland" << DesktopStacking::swayWaylandRule();
}

void TestDesktopStacking::noticeSaysWhatToDo()
{
    QFETCH(QString, desktop);
    QFETCH(QString, remedy);
    const QString notice = DesktopStacking::notice(desktop);
    QVERIFY2(notice.contains(QStringLiteral("Full Screen is not offered")), qPrintable(notice));
    QVERIFY2(notice.contains(remedy), qPrintable(notice));
}

QTEST_GUILESS_MAIN(TestDesktopStacking)
#include "TestDesktopStacking.moc"
