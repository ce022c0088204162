// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/UiStyle.h"

#include <QApplication>
#include <QPalette>
#include <QTest>

namespace {

QPalette palette(const QColor &window, const QColor &text, const QColor &link, const QColor &highlight)
{
    QPalette result;
    result.setColor(QPalette::Window, window);
    result.setColor(QPalette::WindowText, text);
    result.setColor(QPalette::Link, link);
    result.setColor(QPalette::Highlight, highlight);
    return result;
}

} // namespace

class TestUiStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contrastFollowsTheAccessibilityFormula_data()
    {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("the same colour") << QColor(50, 50, 53) << QColor(50, 50, 53) << 1.0;
        QTest::newRow("order does not matter") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
        // A dark palette's highlight on the dark form panel: hardly readable.
        QTest::newRow("highlight on a dark panel") << QColor(0x12, 0x60, 0x8a) << QColor(0x32, 0x32, 0x35) << 1.87;
        QTest::newRow("mid grey on white") << QColor(0x76, 0x76, 0x76) << QColor(Qt::white) << 4.54;
    }

    void contrastFollowsTheAccessibilityFormula()
    {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QVERIFY2(qAbs(UiStyle::contrast(a, b) - ratio) < 0.05, qPrintable(QString::number(UiStyle::contrast(a, b))));
    }

    void linksReadOnTheirBackground_data()
    {
        QTest::addColumn<QPalette>("colours");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("asIs"); // the palette's link colour is used unchanged

        QTest::newRow("light palette, blue link")
            << palette(QColor(239, 239, 239), Qt::black, QColor(0, 0, 255), QColor(48, 140, 198)) << QColor(Qt::white)
            << true;
        QTest::newRow("dark palette with a dark link")
            << palette(QColor(0x32, 0x32, 0x35), Qt::white, QColor(0x12, 0x60, 0x8a), QColor(0x12, 0x60, 0x8a))
            << QColor(0x32, 0x32, 0x35) << false;
        QTest::newRow("dark palette with a light link")
            << palette(QColor(0x32, 0x32, 0x35), Qt::white, QColor(0x8a, 0xb4, 0xf8), QColor(0x12, 0x60, 0x8a))
            << QColor(0x32, 0x32, 0x35) << true;
    }

    void linksReadOnTheirBackground()
    {
        QFETCH(QPalette, colours);
        QFETCH(QColor, background);
        QFETCH(bool, asIs);
        const QColor link = UiStyle::link(colours, background);
        QVERIFY2(UiStyle::contrast(link, background) >= 4.5, qPrintable(link.name()));
        QCOMPARE(link == colours.color(QPalette::Link), asIs);
        // Never the selection colour, which a dark palette makes unreadable on its panels.
        if (!asIs)
            QVERIFY(link != colours.color(QPalette::Highlight));
    }

    void fontsFollowTheDesktopSize()
    {
        QFont base;
        base.setPointSizeF(12);
        QCOMPARE(UiStyle::font(base, UiStyle::Text::Body).pointSizeF(), 12.0);
        QVERIFY(UiStyle::font(base, UiStyle::Text::Caption).pointSizeF() < 12.0);
        QVERIFY(UiStyle::font(base, UiStyle::Text::LargeTitle).pointSizeF() > 24.0);
        QCOMPARE(UiStyle::font(base, UiStyle::Text::Headline).weight(), QFont::DemiBold);
        base.setPointSizeF(10);
        QCOMPARE(UiStyle::grownWithFont(640, base), 640);
        base.setPointSizeF(12);
        QCOMPARE(UiStyle::grownWithFont(640, base), 768);
        base.setPointSizeF(9);
        QCOMPARE(UiStyle::grownWithFont(640, base), 640);
    }

    void darkIsTheWindowColour()
    {
        QVERIFY(UiStyle::isDark(palette(QColor(0x32, 0x32, 0x35), Qt::white, Qt::blue, Qt::blue)));
        QVERIFY(!UiStyle::isDark(palette(QColor(239, 239, 239), Qt::black, Qt::blue, Qt::blue)));
    }
};

QTEST_MAIN(TestUiStyle)
#include "TestUiStyle.moc"
