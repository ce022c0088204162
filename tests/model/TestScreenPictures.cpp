// SPDX-License-Identifier: GPL-3.0-or-later
// Which look's pictures the card holds when the chosen look has none of its own yet.

#include "TestSupport.h"
#include "model/ScreenPictures.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Looks by letter, so the table reads at a glance: m(ono), c(olour), p(anel).
ScreenLook lookOf(char letter)
{
    return letter == 'c' ? ScreenLook::Colour : letter == 'p' ? ScreenLook::Panel : ScreenLook::Mono;
}

bool writePicture(const QString &path)
{
    QImage image(40, 14, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return image.save(path, "PNG");
}

} // namespace

class TestScreenPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void standsInUntilTheChosenLookIsDrawn_data()
    {
        QTest::addColumn<QString>("drawn");    // the looks with pictures on disk
        QTest::addColumn<char>("shownBefore"); // the look loaded first
        QTest::addColumn<char>("chosen");      // then chosen and loaded
        QTest::addColumn<char>("refreshed");   // the last good refresh's look, '-' for none
        QTest::addColumn<char>("expected");    // the look whose pictures are held
        QTest::addColumn<bool>("anyPictures");

        QTest::newRow("own pictures") << "mc" << 'm' << 'c' << '-' << 'c' << true;
        QTest::newRow("keeps what it showed") << "m" << 'm' << 'c' << '-' << 'm' << true;
        QTest::newRow("falls back to the refreshed look") << "p" << 'm' << 'c' << 'p' << 'p' << true;
        QTest::newRow("shown before wins over refreshed") << "mp" << 'm' << 'c' << 'p' << 'm' << true;
        QTest::newRow("nothing anywhere") << "" << 'm' << 'c' << 'p' << 'c' << false;
    }

    void standsInUntilTheChosenLookIsDrawn()
    {
        QFETCH(QString, drawn);
        QFETCH(char, shownBefore);
        QFETCH(char, chosen);
        QFETCH(char, refreshed);
        QFETCH(char, expected);
        QFETCH(bool, anyPictures);

        QTemporaryDir dir;
        QVERIFY(TestSupport::writeFile(dir.filePath(QStringLiteral("manifest.json")),
                                       R"({"ok": true, "views": ["page0"]})"));
        for (const QChar letter : drawn)
            QVERIFY(
                writePicture(dir.filePath(lookOf(char(letter.unicode())).fileName(QStringLiteral("page0"), false))));

        ScreenPictures pictures(dir.path(), lookOf(shownBefore));
        pictures.readManifest();
        pictures.load();
        if (refreshed != '-')
            pictures.setRefreshedLook(lookOf(refreshed));
        pictures.setChosenLook(lookOf(chosen));
        pictures.load();

        QCOMPARE(pictures.picturesLook() == lookOf(expected), true);
        QCOMPARE(!pictures.images().isEmpty(), anyPictures);
        QCOMPARE(pictures.hasChosenLook(), anyPictures && expected == chosen);
        QCOMPARE(pictures.image(QStringLiteral("page0"), false).isNull(), !anyPictures);
    }
};

QTEST_GUILESS_MAIN(TestScreenPictures)
#include "TestScreenPictures.moc"
