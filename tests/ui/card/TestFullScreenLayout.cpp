// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/card/FullScreenLayout.h"

#include <QtTest>

using FullScreenLayout::Choice;

class TestFullScreenLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usableAreaLeavesBothMargins();
    void choosesTheGrid_data();
    void choosesTheGrid();
};

void TestFullScreenLayout::usableAreaLeavesBothMargins()
{
    QCOMPARE(FullScreenLayout::usableSize(QSizeF(3000, 1800)), QSizeF(2824, 1624));
}

void TestFullScreenLayout::choosesTheGrid_data()
{
    QTest::addColumn<int>("views");
    QTest::addColumn<QSizeF>("available");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("width");

    // Two pages stacked are 25 % bigger in total than one: worth it.
    QTest::newRow("3 views on 3000 x 1800") << 3 << QSizeF(3000, 1800) << 1 << 2 << 2232.6666666666665;
    // Two pages are only 4.4 % bigger than one: not worth splitting the screen.
    QTest::newRow("2 views on 2560 x 1440") << 2 << QSizeF(2560, 1440) << 1 << 1 << 2384.0;
    // Every split but one column of two gives pages under 900; that one is smaller in total.
    QTest::newRow("5 views on 1920 x 1080") << 5 << QSizeF(1920, 1080) << 1 << 1 << 1744.0;
    QTest::newRow("one view") << 1 << QSizeF(3000, 1800) << 1 << 1 << 2824.0;
    QTest::newRow("no views") << 0 << QSizeF(3000, 1800) << 1 << 1 << 2824.0;
    // Two side by side on a very wide screen: twice the area of one, and three would be smaller.
    QTest::newRow("3 views on 7000 x 1200") << 3 << QSizeF(7000, 1200) << 2 << 1 << 1024 * 2.8333333333333335;
    // Three stacked on a portrait screen, each as wide as the screen allows.
    QTest::newRow("3 views on 2000 x 4000") << 3 << QSizeF(2000, 4000) << 1 << 3 << 1824.0;
    // The height limits a single page on a very wide screen.
    QTest::newRow("1 view on 5000 x 1000") << 1 << QSizeF(5000, 1000) << 1 << 1 << 824 * 2.8333333333333335;
    QTest::newRow("too small for any page") << 2 << QSizeF(100, 100) << 1 << 1 << 0.0;
}

void TestFullScreenLayout::choosesTheGrid()
{
    QFETCH(int, views);
    QFETCH(QSizeF, available);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(double, width);

    const Choice choice = FullScreenLayout::choose(views, FullScreenLayout::usableSize(available));
    QCOMPARE(choice.columns, columns);
    QCOMPARE(choice.rows, rows);
    QCOMPARE(choice.width, width);
}

QTEST_GUILESS_MAIN(TestFullScreenLayout)
#include "TestFullScreenLayout.moc"
