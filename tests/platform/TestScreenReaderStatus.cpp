// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScreenReaderStatus.h"

#include <QDBusVariant>
#include <QTest>

class TestScreenReaderStatus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listening_data();
    void listening();
};

void TestScreenReaderStatus::listening_data()
{
    QTest::addColumn<QVariantMap>("status");
    QTest::addColumn<bool>("listening");

    const QString reader = QStringLiteral("ScreenReaderEnabled");
    const QString enabled = QStringLiteral("IsEnabled");
    QTest::newRow("the bus runs, nobody listens") << QVariantMap{{reader, false}, {enabled, false}} << false;
    QTest::newRow("the desktop's screen reader switch") << QVariantMap{{reader, true}, {enabled, false}} << true;
    QTest::newRow("a running screen reader") << QVariantMap{{reader, false}, {enabled, true}} << true;
    QTest::newRow("as a change signal wraps it")
        << QVariantMap{{enabled, QVariant::fromValue(QDBusVariant(true))}} << true;
    QTest::newRow("no status") << QVariantMap{} << false;
    QTest::newRow("a text, not a boolean") << QVariantMap{{reader, QStringLiteral("true")}} << false;
}

void TestScreenReaderStatus::listening()
{
    QFETCH(QVariantMap, status);
    QFETCH(bool, listening);
    QCOMPARE(ScreenReaderStatus::listening(status), listening);
}

QTEST_GUILESS_MAIN(TestScreenReaderStatus)
#include "TestScreenReaderStatus.moc"
