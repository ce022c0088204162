// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/card/CardFit.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<CardTrim>)

class TestCardFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelOnSmallScreens_data();
    void panelOnSmallScreens();
};

void TestCardFit::panelOnSmallScreens_data()
{
    QTest::addColumn<double>("pageWidth");
    QTest::addColumn<QSizeF>("available");
    QTest::addColumn<std::optional<CardTrim>>("expected");

    const double panel = 1360;
    QTest::newRow("panel on 1920 keeps inset and margin")
        << panel << QSizeF(1920, 1050) << std::optional(CardTrim{54, 16});
    // 1366 × 768 less a 28-pixel panel: 3 pixels either side of the 1360 pixels.
    QTest::newRow("panel on 1366 keeps 3 pixels of card")
        << panel << QSizeF(1366, 740) << std::optional(CardTrim{3, 0});
    QTest::newRow("panel on 1440 drops the margin, narrows the inset")
        << panel << QSizeF(1440, 900) << std::optional(CardTrim{40, 0});
    QTest::newRow("panel on 1480 narrows the margin only")
        << panel << QSizeF(1480, 900) << std::optional(CardTrim{54, 6});
    QTest::newRow("panel exactly as wide as the screen") << panel << QSizeF(1360, 740) << std::optional(CardTrim{0, 0});
    QTest::newRow("panel on a low screen") << panel << QSizeF(1920, 500) << std::optional(CardTrim{10, 0});
    QTest::newRow("panel on 1280 does not fit") << panel << QSizeF(1280, 1024) << std::optional<CardTrim>();
    QTest::newRow("medium card on 1366 is untouched") << 680.0 << QSizeF(1366, 740) << std::optional(CardTrim{27, 16});
}

void TestCardFit::panelOnSmallScreens()
{
    QFETCH(double, pageWidth);
    QFETCH(QSizeF, available);
    QFETCH(std::optional<CardTrim>, expected);

    const std::optional<CardTrim> trim = CardFit::fit(pageWidth, available);
    QCOMPARE(trim.has_value(), expected.has_value());
    if (!trim)
        return;
    QCOMPARE(trim->inset, expected->inset);
    QCOMPARE(trim->margin, expected->margin);
    const QSizeF window = CardFit::windowSize(pageWidth, *trim);
    QVERIFY(window.width() <= available.width() && window.height() <= available.height());
}

QTEST_GUILESS_MAIN(TestCardFit)
#include "TestCardFit.moc"
