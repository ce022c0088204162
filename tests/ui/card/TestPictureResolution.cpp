// SPDX-License-Identifier: GPL-3.0-or-later
// How wide the card holds its pictures: as wide as it can show them on the screens there are.

#include "ui/card/PictureResolution.h"

#include <QtTest>

using Screen = PictureResolution::Screen;
Q_DECLARE_METATYPE(Screen)

class TestPictureResolution : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widthFor_data();
    void widthFor();
};

void TestPictureResolution::widthFor_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("views");
    QTest::addColumn<QList<Screen>>("screens");
    QTest::addColumn<int>("width");

    const Screen fullHd{QSizeF(1920, 1080), 1};
    const Screen retina{QSizeF(1440, 900), 2};
    // The Large card's page is 900 points wide, whatever size is chosen now: Small and Medium
    // are then shown by scaling down, without reading the pictures again.
    QTest::newRow("small card, one screen") << int(FrameSize::Small) << 5 << QList<Screen>{fullHd} << 900;
    QTest::newRow("large card, one screen") << int(FrameSize::Large) << 5 << QList<Screen>{fullHd} << 900;
    // The sharpest screen decides, since the card may be moved there.
    QTest::newRow("medium card, a screen at twice the scale")
        << int(FrameSize::Medium) << 5 << QList<Screen>{fullHd, retina} << 1800;
    QTest::newRow("fractional scale") << int(FrameSize::Large) << 1 << QList<Screen>{{QSizeF(2560, 1440), 1.25}}
                                      << 1125;
    // Full screen with one page spreads it over the screen less the margins (1920 - 176).
    QTest::newRow("full screen, one page") << int(FrameSize::FullScreen) << 1 << QList<Screen>{fullHd} << 1744;
    QTest::newRow("full screen, largest screen wins")
        << int(FrameSize::FullScreen) << 1 << QList<Screen>{fullHd, {QSizeF(3000, 1800), 1}} << 2824;
    // No screen known (yet): the Large card.
    QTest::newRow("no screens") << int(FrameSize::Large) << 3 << QList<Screen>{} << 900;
}

void TestPictureResolution::widthFor()
{
    QFETCH(int, size);
    QFETCH(int, views);
    QFETCH(QList<Screen>, screens);
    QFETCH(int, width);
    QCOMPARE(PictureResolution::widthFor(FrameSize(FrameSize::Value(size)), views, screens), width);
}

QTEST_GUILESS_MAIN(TestPictureResolution)
#include "TestPictureResolution.moc"
