// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/OneLine.h"

#include <QTest>

class TestOneLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleansText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");

        QTest::newRow("plain text stays") << QStringLiteral("Bad credentials") << QStringLiteral("Bad credentials");
        QTest::newRow("line breaks become one space")
            << QStringLiteral("one\r\ntwo\n\n\tthree") << QStringLiteral("one two three");
        QTest::newRow("escape dropped") << QStringLiteral("\x1b[31mred\x1b[0m") << QStringLiteral("[31mred[0m");
        QTest::newRow("bidirectional override and isolates dropped")
            << QStringLiteral("abc\u202edef\u2066g\u2069\u200f") << QStringLiteral("abcdefg");
        QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029c") << QStringLiteral("a b c");
        QTest::newRow("edges trimmed") << QStringLiteral("\n  hello  \r\n") << QStringLiteral("hello");
        QTest::newRow("nothing but controls") << QStringLiteral("\x01\x02\x7f") << QString();
        QTest::newRow("letters of every script kept")
            << QStringLiteral("Grüße · 日本 😀") << QStringLiteral("Grüße · 日本 😀");
    }

    void cleansText()
    {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QCOMPARE(OneLine::of(text), line);
    }

    void longTextIsCut()
    {
        const QString cut = OneLine::of(QString(1000, QLatin1Char('x')), 20);
        QCOMPARE(cut.size(), 20);
        QVERIFY(cut.endsWith(QStringLiteral("\u2026")));
        QCOMPARE(OneLine::of(QString(20, QLatin1Char('x')), 20), QString(20, QLatin1Char('x')));

        // A cut never leaves half of a character outside the basic plane.
        const QString faces = QString(10, QLatin1Char('a')) + QStringLiteral("😀😀😀😀😀");
        const QString cutFaces = OneLine::of(faces, 12);
        QVERIFY(!cutFaces.at(cutFaces.size() - 2).isHighSurrogate());
        QVERIFY(cutFaces.size() <= 12);
    }
};

QTEST_GUILESS_MAIN(TestOneLine)
#include "TestOneLine.moc"
