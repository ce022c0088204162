// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/JsonObjectText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// Edits in the text of a JSON object: the edited member changes, every other byte stays, and the
// result is still the JSON object it should be.
class TestJsonObjectText : public QObject
{
    Q_OBJECT

    static QJsonObject parsed(const QByteArray &text)
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            qFatal("not a JSON object: %s", text.constData());
        return document.object();
    }

private Q_SLOTS:
    void set_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("replaces a value in place")
            << QByteArray("{\"a\": 12345678901234567890, \"k\": [1, 2], \"z\": 1.50}")
            << QByteArray("{\"a\": 12345678901234567890, \"k\": \"v\", \"z\": 1.50}");
        QTest::newRow("adds first, spaced like the first member")
            << QByteArray("{\n    \"a\": 1\n}") << QByteArray("{\n    \"k\": \"v\",\n    \"a\": 1\n}");
        QTest::newRow("adds to a compact object") << QByteArray("{\"a\":1}") << QByteArray("{\"k\": \"v\", \"a\":1}");
        QTest::newRow("adds to an empty object") << QByteArray(" {} ") << QByteArray(" {\n    \"k\": \"v\"\n} ");
        QTest::newRow("braces and quotes inside strings")
            << QByteArray("{\"x\": \"}{\\\"\", \"k\": {\"n\": \"]\"}, \"y\": \"\\\\\"}")
            << QByteArray("{\"x\": \"}{\\\"\", \"k\": \"v\", \"y\": \"\\\\\"}");
        QTest::newRow("an escaped key") << QByteArray("{\"\\u006b\": true}") << QByteArray("{\"\\u006b\": \"v\"}");
        QTest::newRow("duplicates become the last one")
            << QByteArray("{\"k\": 1, \"a\": 2, \"k\": 3}") << QByteArray("{\"a\": 2, \"k\": \"v\"}");
        QTest::newRow("after a byte-order mark")
            << QByteArray("\xEF\xBB\xBF{\"a\": 1}") << QByteArray("\xEF\xBB\xBF{\"k\": \"v\", \"a\": 1}");
        QTest::newRow("into an empty CRLF object")
            << QByteArray("{\r\n}\r\n") << QByteArray("{\r\n    \"k\": \"v\"\r\n}\r\n");
        QTest::newRow("a key that only contains the name")
            << QByteArray("{\"kk\": 1}") << QByteArray("{\"k\": \"v\", \"kk\": 1}");
    }

    void set()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        JsonObjectText edited(text);
        edited.set(QStringLiteral("k"), JsonObjectText::quoted(QStringLiteral("v")));
        QCOMPARE(edited.text(), expected);
        QCOMPARE(parsed(edited.text()).value(QStringLiteral("k")).toString(), QStringLiteral("v"));
    }

    void remove_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("first member") << QByteArray("{\n  \"k\": {\"a\": 1},\n  \"b\": 2\n}")
                                      << QByteArray("{\n  \"b\": 2\n}");
        QTest::newRow("last member") << QByteArray("{\n  \"b\": 2,\n  \"k\": [3]\n}") << QByteArray("{\n  \"b\": 2\n}");
        QTest::newRow("middle member") << QByteArray("{\"a\": 1, \"k\": null, \"b\": 2}")
                                       << QByteArray("{\"a\": 1, \"b\": 2}");
        QTest::newRow("only member") << QByteArray("{\n  \"k\": false\n}\n") << QByteArray("{}\n");
        QTest::newRow("every duplicate") << QByteArray("{\"k\": 1, \"a\": 2, \"k\": 3}") << QByteArray("{\"a\": 2}");
        QTest::newRow("absent key") << QByteArray("{\"a\": -1e-3}") << QByteArray("{\"a\": -1e-3}");
    }

    void remove()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        JsonObjectText edited(text);
        edited.remove(QStringLiteral("k"));
        QCOMPARE(edited.text(), expected);
        QVERIFY(!parsed(edited.text()).contains(QStringLiteral("k")));
    }

    void valueIsTheTextAParserKeeps()
    {
        const JsonObjectText text("{\"k\": 1, \"n\": {\"deep\": [1, {\"x\": \"}\"}]}, \"k\": 12345678901234567890}");
        QCOMPARE(text.value(QStringLiteral("k")), std::optional<QByteArray>("12345678901234567890"));
        QCOMPARE(text.value(QStringLiteral("n")), std::optional<QByteArray>("{\"deep\": [1, {\"x\": \"}\"}]}"));
        QCOMPARE(text.value(QStringLiteral("missing")), std::nullopt);
    }

    void multiLineValuesFollowTheMembersIndent()
    {
        JsonObjectText edited("{\n    \"a\": 1\n}");
        edited.set(QStringLiteral("k"), "{\n    \"x\": 1\n}\n");
        QCOMPARE(edited.text(), QByteArray("{\n    \"k\": {\n        \"x\": 1\n    },\n    \"a\": 1\n}"));
    }
};

QTEST_GUILESS_MAIN(TestJsonObjectText)
#include "TestJsonObjectText.moc"
