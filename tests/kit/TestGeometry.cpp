// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/CardGeometry.h"
#include "kit/PageGeometry.h"

#include <QtTest>

class TestGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slotRects_data();
    void slotRects();
    void slotRectsOfNoColumns();
    void card_data();
    void card();
};

void TestGeometry::slotRects_data()
{
    QTest::addColumn<QList<double>>("columns");
    QTest::addColumn<QList<QRectF>>("expected");
    const double top = 0.2;
    const double height = 0.7458333333333333;

    QTest::newRow("one column") << QList<double>{1}
                                << QList<QRectF>{{0.029411764705882353, top, 0.9411764705882353, height}};
    QTest::newRow("wide first") << QList<double>{2, 1}
                                << QList<QRectF>{{0.029411764705882353, top, 0.5911764705882353, height},
                                                 {0.675, top, 0.29558823529411765, height}};
    QTest::newRow("halves") << QList<double>{1, 1}
                            << QList<QRectF>{{40.0 / 1360, top, 603.0 / 1360, height},
                                             {717.0 / 1360, top, 603.0 / 1360, height}};
    // Weights are relative: fractions give the same rectangles as whole numbers.
    QTest::newRow("halves as fractions") << QList<double>{0.5, 0.5}
                                         << QList<QRectF>{{40.0 / 1360, top, 603.0 / 1360, height},
                                                          {717.0 / 1360, top, 603.0 / 1360, height}};
    QTest::newRow("all zero weights") << QList<double>{0, 0}
                                      << QList<QRectF>{{40.0 / 1360, top, 0, height}, {114.0 / 1360, top, 0, height}};
}

void TestGeometry::slotRects()
{
    QFETCH(QList<double>, columns);
    QFETCH(QList<QRectF>, expected);
    const QList<QRectF> rects = PageGeometry::slotRects(columns);
    QCOMPARE(rects.size(), expected.size());
    for (qsizetype i = 0; i < rects.size(); ++i) {
        QCOMPARE(rects.at(i).x(), expected.at(i).x());
        QCOMPARE(rects.at(i).y(), expected.at(i).y());
        QCOMPARE(rects.at(i).width(), expected.at(i).width());
        QCOMPARE(rects.at(i).height(), expected.at(i).height());
    }
}

void TestGeometry::slotRectsOfNoColumns()
{
    QVERIFY(PageGeometry::slotRects({}).isEmpty());
}

void TestGeometry::card_data()
{
    QTest::addColumn<double>("contentWidth");
    QTest::addColumn<double>("padding");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("medium") << 680.0 << 27.0 << QSizeF(734, 294);
    QTest::newRow("canvas width") << 1360.0 << 54.0 << QSizeF(1468, 588);
    QTest::newRow("half rounds away from zero") << 340.0 << 14.0 << QSizeF(368, 340 / 2.8333333333333335 + 28);
    QTest::newRow("small") << 520.0 << 21.0 << QSizeF(562, 520 / 2.8333333333333335 + 42);
}

void TestGeometry::card()
{
    QFETCH(double, contentWidth);
    QFETCH(double, padding);
    QFETCH(QSizeF, size);
    QCOMPARE(CardGeometry::padding(contentWidth), padding);
    const QSizeF card = CardGeometry::size(contentWidth);
    QCOMPARE(card.width(), size.width());
    QCOMPARE(card.height(), size.height());
    QCOMPARE(CardGeometry::screenAspect, 1360.0 / 480.0);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "TestGeometry.moc"
