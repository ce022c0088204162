// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/WindowFit.h"

#include <QTest>

// The free area of a 1366 × 768 screen under a 32-point top panel, and a window manager frame of
// a 30-point title bar and 2-point borders.
namespace {

const QRect smallScreen(0, 32, 1366, 736);
const QMargins frame(2, 30, 2, 2);

} // namespace

class TestWindowFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitsTheFreeArea_data()
    {
        QTest::addColumn<QRect>("client");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("expected");

        QTest::newRow("fits already: unchanged")
            << QRect(100, 100, 640, 600) << QSize(560, 560) << QRect(100, 100, 640, 600);
        // The layout editor's own size, centred on the small screen: the title bar stays on it.
        QTest::newRow("editor larger than the screen")
            << QRect(23, -6, 1320, 820) << QSize(960, 600) << QRect(23, 62, 1320, 704);
        QTest::newRow("frame remembered on a larger screen")
            << QRect(1800, 900, 2400, 1300) << QSize(960, 600) << QRect(2, 62, 1362, 704);
        QTest::newRow("off the left and top edges")
            << QRect(-300, -50, 800, 600) << QSize(100, 100) << QRect(2, 62, 800, 600);
        QTest::newRow("off the right and bottom edges")
            << QRect(1000, 500, 640, 400) << QSize(100, 100) << QRect(724, 366, 640, 400);
        // Where even the minimum does not fit, the minimum wins and the window starts at the
        // free area's corner, title bar showing.
        QTest::newRow("minimum beyond the screen")
            << QRect(500, 400, 600, 600) << QSize(1500, 900) << QRect(2, 62, 1500, 900);
    }

    void fitsTheFreeArea()
    {
        QFETCH(QRect, client);
        QFETCH(QSize, minimum);
        QFETCH(QRect, expected);
        const QRect fitted = WindowFit::fitted(client, minimum, smallScreen, frame);
        QCOMPARE(fitted, expected);
    }

    void centresWhereThereIsRoom()
    {
        const QRect centred = WindowFit::centred(QSize(640, 700), QSize(560, 560), smallScreen, frame);
        QCOMPARE(centred.size(), QSize(640, 700));
        // The frame, title bar included, is centred in the free area.
        const QRect outer = centred.marginsAdded(frame);
        QVERIFY((outer.center() - smallScreen.center()).manhattanLength() <= 1);
        QVERIFY(smallScreen.contains(outer));
    }

    void centresTallWindowsShortened()
    {
        const QRect centred = WindowFit::centred(QSize(1320, 820), QSize(960, 600), smallScreen, frame);
        QVERIFY(smallScreen.contains(centred.marginsAdded(frame)));
        QCOMPARE(centred.height(), smallScreen.height() - frame.top() - frame.bottom());
        QCOMPARE(centred.width(), 1320);
    }
};

QTEST_GUILESS_MAIN(TestWindowFit)
#include "TestWindowFit.moc"
