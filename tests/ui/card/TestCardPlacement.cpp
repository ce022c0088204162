// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/card/CardPlacement.h"

#include <QtTest>

using CardPlacement::Screens;

namespace {

// A main screen with a 32-pixel panel along its top, and a second screen to its right.
const QRect mainFull(0, 0, 1920, 1080);
const QRect mainFree(0, 32, 1920, 1048);
const QRect secondFree(1920, 0, 1280, 1024);
const QSize medium(766, 326);
const QSize large(1004, 422);

Screens twoScreens()
{
    return Screens{{mainFree, secondFree}, mainFull, mainFree};
}

// Top centre of the main screen: centred across its free area, 80 below the panel.
QRect topCentre(const QSize &size)
{
    return QRect(QPoint((1920 - size.width()) / 2, 32 + 80), size);
}

} // namespace

Q_DECLARE_METATYPE(Screens)

class TestCardPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void places_data();
    void places();
    void visibleShareIsPerScreen();
    void grownCardIsPulledBackOnScreen_data();
    void grownCardIsPulledBackOnScreen();
};

void TestCardPlacement::places_data()
{
    QTest::addColumn<QRect>("base");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("firstTime");
    QTest::addColumn<Screens>("screens");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("first launch, nothing saved") << QRect() << medium << true << twoScreens() << topCentre(medium);
    QTest::newRow("saved frame is kept at launch")
        << QRect(100, 500, 766, 326) << medium << true << twoScreens() << QRect(100, 500, 766, 326);
    QTest::newRow("growing keeps the top-left corner")
        << QRect(100, 500, 766, 326) << large << false << twoScreens() << QRect(QPoint(100, 500), large);
    QTest::newRow("on the second screen")
        << QRect(2100, 300, 766, 326) << large << false << twoScreens() << QRect(QPoint(2100, 300), large);
    QTest::newRow("saved on a screen no longer attached")
        << QRect(4000, 300, 766, 326) << medium << true << twoScreens() << topCentre(medium);
    QTest::newRow("mostly hanging off the bottom")
        << QRect(100, 900, 766, 326) << medium << false << twoScreens() << topCentre(medium);
    // 700 of 766 columns visible: 91 %.
    QTest::newRow("a little off the left edge")
        << QRect(-66, 400, 766, 326) << medium << false << twoScreens() << QRect(-66, 400, 766, 326);
    QTest::newRow("left over from the full-screen grid")
        << mainFree << medium << false << twoScreens() << topCentre(medium);
    QTest::newRow("lost with no main screen keeps its edges")
        << QRect(4000, 300, 766, 326) << large << false << Screens{} << QRect(QPoint(4000, 300), large);
    // Without a main screen a frame counts as full-screen only beyond 0.95 of 3800.
    QTest::newRow("wide frame with no main screen")
        << QRect(0, 0, 3700, 1000) << medium << false << Screens{{QRect(0, 0, 4000, 2000)}, {}, {}}
        << QRect(QPoint(0, 0), medium);
}

void TestCardPlacement::places()
{
    QFETCH(QRect, base);
    QFETCH(QSize, size);
    QFETCH(bool, firstTime);
    QFETCH(Screens, screens);
    QFETCH(QRect, expected);

    QCOMPARE(CardPlacement::place(base, size, firstTime, screens), expected);
}

void TestCardPlacement::visibleShareIsPerScreen()
{
    // Straddling the two screens half and half: fully visible, but not 80 % on either one.
    const QRect straddling(1920 - 383, 300, 766, 326);
    QVERIFY(!CardPlacement::isOnScreen(straddling, {mainFree, secondFree}));
    QVERIFY(CardPlacement::isOnScreen(straddling.translated(-300, 0), {mainFree, secondFree}));
}

void TestCardPlacement::grownCardIsPulledBackOnScreen_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("expected");

    const QSize panel(1500, 620);
    QTest::newRow("inside stays") << QRect(100, 500, 766, 326) << QRect(100, 500, 766, 326);
    // Panel Pixels grown from a card at x = 600: pulled left to the screen's right edge.
    QTest::newRow("past the right edge") << QRect(QPoint(600, 100), panel) << QRect(QPoint(420, 100), panel);
    QTest::newRow("past the bottom") << QRect(QPoint(100, 700), panel) << QRect(QPoint(100, 460), panel);
    QTest::newRow("under the top panel") << QRect(100, 0, 766, 326) << QRect(100, 32, 766, 326);
    QTest::newRow("on the second screen, past its edge")
        << QRect(QPoint(2800, 100), large) << QRect(QPoint(3200 - large.width(), 100), large);
    QTest::newRow("wider than the screen keeps its left edge inside")
        << QRect(QPoint(2000, 100), panel) << QRect(QPoint(1920, 100), panel);
}

void TestCardPlacement::grownCardIsPulledBackOnScreen()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, expected);

    QCOMPARE(CardPlacement::keepWithin(frame, {mainFree, secondFree}), expected);
}

QTEST_GUILESS_MAIN(TestCardPlacement)
#include "TestCardPlacement.moc"
