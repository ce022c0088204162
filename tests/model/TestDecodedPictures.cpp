// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures decoded while a draw goes on are handed out only for the file and size they were
// decoded for.

#include "TestSupport.h"
#include "model/DecodedPictures.h"

#include <QBuffer>
#include <QCoroTask>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray pngOf(const QColor &colour, const QSize &size = QSize(400, 140))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestDecodedPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesAtTheCardsWidth()
    {
        const QImage scaled = DecodedPictures::decode(pngOf(Qt::red), 100);
        QCOMPARE(scaled.size(), QSize(100, 35));
        QCOMPARE(scaled.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(DecodedPictures::decode(pngOf(Qt::red), 0).size(), QSize(400, 140));
        QCOMPARE(DecodedPictures::decode(pngOf(Qt::red), 1000).size(), QSize(400, 140));
        QVERIFY(DecodedPictures::decode("not a picture", 0).isNull());
    }

    void handsOutOnlyWhatStillMatchesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.png"));
        const QByteArray red = pngOf(Qt::red);
        QVERIFY(TestSupport::writeFile(path, red));
        DecodedPictures pictures;

        pictures.add(path, red, 200);
        QCoro::waitFor(pictures.whenDecoded());
        const std::optional<QImage> taken = pictures.take(path, 200);
        QVERIFY(taken);
        QCOMPARE(taken->width(), 200);
        QCOMPARE(taken->pixelColor(10, 10), QColor(Qt::red));
        QVERIFY2(!pictures.take(path, 200), "handed out twice");

        pictures.add(path, red, 200);
        QCoro::waitFor(pictures.whenDecoded());
        QVERIFY2(!pictures.take(path, 300), "handed out for another width");

        // Another writer replaced the file meanwhile: the file wins.
        pictures.add(path, red, 0);
        QCoro::waitFor(pictures.whenDecoded());
        QVERIFY(TestSupport::writeFile(path, pngOf(Qt::blue, QSize(500, 140))));
        QVERIFY(!pictures.take(path, 0));

        pictures.add(path, red, 0);
        QCoro::waitFor(pictures.whenDecoded());
        QFile::remove(path);
        QVERIFY(!pictures.take(path, 0));

        pictures.add(dir.filePath(QStringLiteral("other.png")), red, 0);
        pictures.clear();
        QVERIFY(pictures.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDecodedPictures)
#include "TestDecodedPictures.moc"
