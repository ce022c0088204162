// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InMemoryCredentialStore.h"

#include <QCoroTask>
#include <QtTest>

using Status = CredentialStore::Status;

namespace {

// Names built at run time, so that they live on the heap and are gone once the caller's
// statement ends, as a caller's temporaries are.
QString made(const char *text)
{
    return QString::fromLatin1(text);
}

} // namespace

class TestInMemoryCredentialStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersOnLaterTurnWithCallersTemporariesGone();
    void unreachableChangesNothing();
};

void TestInMemoryCredentialStore::answersOnLaterTurnWithCallersTemporariesGone()
{
    // The store answers after a suspension; it must not read the caller's arguments then.
    InMemoryCredentialStore store;
    store.setAnswersLater(true);

    QCoro::Task<Status> adding = store.add(made("app.tessarine.github"), made("token"), QByteArray("s3cret"));
    QCOMPARE(QCoro::waitFor(std::move(adding)), Status::Ok);
    QVERIFY(store.contains(QStringLiteral("app.tessarine.github"), QStringLiteral("token")));
    QCOMPARE(store.secret(QStringLiteral("app.tessarine.github"), QStringLiteral("token")), QByteArray("s3cret"));

    QCoro::Task<CredentialStore::Item> reading = store.read(made("app.tessarine.github"), made("token"));
    const CredentialStore::Item item = QCoro::waitFor(std::move(reading));
    QCOMPARE(item.status, Status::Ok);
    QCOMPARE(item.secret, QByteArray("s3cret"));

    QCoro::Task<Status> removing = store.remove(made("app.tessarine.github"), made("token"));
    QCOMPARE(QCoro::waitFor(std::move(removing)), Status::Ok);
    QVERIFY(!store.contains(QStringLiteral("app.tessarine.github"), QStringLiteral("token")));

    QCoro::Task<CredentialStore::Item> readingAgain = store.read(made("app.tessarine.github"), made("token"));
    QCOMPARE(QCoro::waitFor(std::move(readingAgain)).status, Status::NotFound);
}

void TestInMemoryCredentialStore::unreachableChangesNothing()
{
    InMemoryCredentialStore store;
    QCOMPARE(QCoro::waitFor(store.add(QStringLiteral("s"), QStringLiteral("a"), QByteArray("kept"))), Status::Ok);
    store.setReachable(false);
    QCOMPARE(QCoro::waitFor(store.add(QStringLiteral("s"), QStringLiteral("a"), QByteArray("new"))),
             Status::Unavailable);
    QCOMPARE(QCoro::waitFor(store.remove(QStringLiteral("s"), QStringLiteral("a"))), Status::Unavailable);
    QCOMPARE(QCoro::waitFor(store.read(QStringLiteral("s"), QStringLiteral("a"))).status, Status::Unavailable);
    QCOMPARE(store.secret(QStringLiteral("s"), QStringLiteral("a")), QByteArray("kept"));
}

QTEST_GUILESS_MAIN(TestInMemoryCredentialStore)
#include "TestInMemoryCredentialStore.moc"
