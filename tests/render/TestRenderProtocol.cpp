// SPDX-License-Identifier: GPL-3.0-or-later
// The messages between the card and its renderer process: packing across arbitrary chunks, and
// streams that are not this protocol.

#include "render/RenderJob.h"
#include "render/RenderStream.h"

#include <QTest>
#include <QtEndian>

class TestRenderProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messagesSurviveAnySplit_data();
    void messagesSurviveAnySplit();
    void wrongMarkBreaksTheStream();
    void impossibleLengthBreaksTheStream();
    void jobRoundTrip_data();
    void jobRoundTrip();
    void jobsThatAreNotJobs_data();
    void jobsThatAreNotJobs();
    void replies();
    void repliesCarryThePagesText_data();
    void repliesCarryThePagesText();
};

void TestRenderProtocol::messagesSurviveAnySplit_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("odd chunks") << 7;
    QTest::newRow("all at once") << (1 << 20);
}

void TestRenderProtocol::messagesSurviveAnySplit()
{
    QFETCH(int, chunkSize);
    const QList<QByteArray> sent{QByteArrayLiteral("first"), QByteArray(), QByteArray(5000, 'x'),
                                 QByteArrayLiteral("TSR1 inside a message")};
    QByteArray wire;
    for (const QByteArray &message : sent)
        wire.append(RenderStream::pack(message));

    RenderStream stream;
    QList<QByteArray> received;
    for (qsizetype at = 0; at < wire.size(); at += chunkSize) {
        stream.append(wire.mid(at, chunkSize));
        while (std::optional<QByteArray> message = stream.next())
            received.append(*message);
    }
    QCOMPARE(received, sent);
    QVERIFY(!stream.broken());
    QCOMPARE(stream.pending(), qsizetype(0));
}

void TestRenderProtocol::wrongMarkBreaksTheStream()
{
    // Text a program prints by mistake is seen as soon as its first byte arrives.
    RenderStream stream;
    stream.append(QByteArrayLiteral("["));
    QVERIFY(!stream.next());
    QVERIFY(stream.broken());
    // Once broken, even a good message is not taken.
    stream.append(RenderStream::pack("late"));
    QVERIFY(!stream.next());
    QVERIFY(stream.broken());
}

void TestRenderProtocol::impossibleLengthBreaksTheStream()
{
    QByteArray header("TSR1");
    char length[4];
    qToBigEndian(quint32(RenderStream::largestMessage + 1), length);
    header.append(length, 4);
    RenderStream stream;
    stream.append(header);
    QVERIFY(!stream.next());
    QVERIFY(stream.broken());
}

void TestRenderProtocol::jobRoundTrip_data()
{
    QTest::addColumn<std::optional<QString>>("theme");
    QTest::newRow("with a theme") << std::optional<QString>(QStringLiteral(R"({"appearance": "dark"})"));
    QTest::newRow("without a theme") << std::optional<QString>();
}

void TestRenderProtocol::jobRoundTrip()
{
    QFETCH(std::optional<QString>, theme);
    const RenderJob job{QStringLiteral(R"({"pages": [{"layout": "full"}], "note": "quote \" and ünïcode"})"), 4,
                        QStringLiteral("preview"), theme, 3};
    const std::optional<RenderJob> decoded = RenderJob::fromBytes(job.toBytes());
    QVERIFY(decoded);
    QCOMPARE(*decoded, job);
}

void TestRenderProtocol::jobsThatAreNotJobs_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not JSON") << QByteArrayLiteral("page 1 please");
    QTest::newRow("a list") << QByteArrayLiteral("[1, 2]");
    QTest::newRow("no data") << QByteArrayLiteral(R"({"page": 0, "mode": "preview", "theme": null, "scale": 3})");
    QTest::newRow("page as text") << QByteArrayLiteral(
        R"({"data": "{}", "page": "0", "mode": "preview", "theme": null, "scale": 3})");
    QTest::newRow("theme as object") << QByteArrayLiteral(
        R"({"data": "{}", "page": 0, "mode": "preview", "theme": {}, "scale": 3})");
    QTest::newRow("no scale") << QByteArrayLiteral(R"({"data": "{}", "page": 0, "mode": "preview", "theme": null})");
}

void TestRenderProtocol::jobsThatAreNotJobs()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!RenderJob::fromBytes(bytes));
}

void TestRenderProtocol::replies()
{
    const QByteArray png("\x89PNG\r\n\x1a\n rest", 13);
    const std::optional<RenderReply> picture = RenderReply::fromBytes(RenderReply::picture(png).toBytes());
    QVERIFY(picture && picture->png);
    QCOMPARE(*picture->png, png);

    const std::optional<RenderReply> failure =
        RenderReply::fromBytes(RenderReply::failure(QStringLiteral("The page view could not be loaded é")).toBytes());
    QVERIFY(failure && !failure->png);
    QCOMPARE(failure->error, QStringLiteral("The page view could not be loaded é"));

    QVERIFY(!RenderReply::fromBytes({}));
    QVERIFY(!RenderReply::fromBytes(QByteArrayLiteral("Xsomething")));
}

void TestRenderProtocol::repliesCarryThePagesText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("png");

    const QByteArray png("\x89PNG\r\n\x1a\n rest", 13);
    QTest::newRow("words and picture") << QStringLiteral("Claude\nClaude, 5-hour window, 42 percent used.") << png;
    QTest::newRow("words beyond ASCII") << QStringLiteral("Countdown: 🚀 إطلاق المنتج in 44 days.") << png;
    QTest::newRow("a picture without words") << QString() << png;
    QTest::newRow("words whose length is a PNG byte") << QString(0x89, u'x') << png;
}

void TestRenderProtocol::repliesCarryThePagesText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, png);

    const std::optional<RenderReply> reply = RenderReply::fromBytes(RenderReply::picture(png, text).toBytes());
    QVERIFY(reply && reply->png);
    QCOMPARE(*reply->png, png);
    QCOMPARE(reply->text, text);
    // A reply cut inside its text is not a reply.
    if (!text.isEmpty())
        QVERIFY(!RenderReply::fromBytes(RenderReply::picture(png, text).toBytes().first(6)));
}

QTEST_GUILESS_MAIN(TestRenderProtocol)
#include "TestRenderProtocol.moc"
