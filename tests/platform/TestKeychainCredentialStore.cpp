// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeychainCredentialStore.h"

#include <QCoroTask>
#include <QDirIterator>
#include <QStandardPaths>
#include <QTest>

#include "TestSupport.h"

using namespace std::chrono_literals;
using Status = CredentialStore::Status;

namespace {

const QString service = QStringLiteral("app.tessarine.github.test");
const QString account = QStringLiteral("token");

// Every file below the test's home and XDG folders that holds `secret` as it stands.
QStringList filesContaining(const QByteArray &secret)
{
    QStringList found;
    const QStringList roots = {qEnvironmentVariable("HOME"), qEnvironmentVariable("XDG_DATA_HOME"),
                               qEnvironmentVariable("XDG_CONFIG_HOME")};
    for (const QString &root : roots) {
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (TestSupport::readFile(path).contains(secret))
                found.append(path);
        }
    }
    return found;
}

} // namespace

class TestKeychainCredentialStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip();
    void withoutSessionBus();
};

// Runs inside with-secret-service.sh: a private session bus with an unlocked gnome-keyring.
void TestKeychainCredentialStore::roundTrip()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "run through with-secret-service.sh");
    KeychainCredentialStore store;
    const QByteArray first = QStringLiteral(R"({"access":"gho_first","login":"zoë"})").toUtf8();
    const QByteArray second = QByteArrayLiteral(R"({"access":"gho_second"})");

    QCOMPARE(QCoro::waitFor(store.read(service, account)).status, Status::NotFound);

    QCOMPARE(QCoro::waitFor(store.add(service, account, first)), Status::Ok);
    CredentialStore::Item item = QCoro::waitFor(store.read(service, account));
    QCOMPARE(item.status, Status::Ok);
    QCOMPARE(item.secret, first);
    QCOMPARE(QCoro::waitFor(store.read(service, QStringLiteral("other"))).status, Status::NotFound);

    QCOMPARE(QCoro::waitFor(store.add(service, account, second)), Status::Ok);
    QCOMPARE(QCoro::waitFor(store.read(service, account)).secret, second);

    // A second store (as after a restart) sees the same item.
    KeychainCredentialStore again;
    QCOMPARE(QCoro::waitFor(again.read(service, account)).secret, second);

    QCOMPARE(QCoro::waitFor(store.remove(service, account)), Status::Ok);
    item = QCoro::waitFor(store.read(service, account));
    QCOMPARE(item.status, Status::NotFound);
    QVERIFY(item.secret.isEmpty());

    QVERIFY(filesContaining("gho_first").isEmpty());
    QVERIFY(filesContaining("gho_second").isEmpty());
}

// Runs like every other test, without a session bus: the keyring is unreachable, which must
// read as no item, reported by the keyring library rather than by running into the bound, and
// must never leave the secret in a file.
void TestKeychainCredentialStore::withoutSessionBus()
{
    QVERIFY2(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "run without a session bus");
    KeychainCredentialStore store(120s);
    const QByteArray secret = QByteArrayLiteral(R"({"access":"gho_nobus"})");

    const CredentialStore::Item item = QCoro::waitFor(store.read(service, account));
    QCOMPARE(item.status, Status::Unavailable);
    QVERIFY(item.secret.isEmpty());

    const Status added = QCoro::waitFor(store.add(service, account, secret));
    QCOMPARE(added, Status::Unavailable);
    QCOMPARE(QCoro::waitFor(store.read(service, account)).status, Status::Unavailable);
    QCOMPARE(QCoro::waitFor(store.remove(service, account)), Status::Unavailable);
    QVERIFY(filesContaining("gho_nobus").isEmpty());
}

QTEST_GUILESS_MAIN(TestKeychainCredentialStore)
#include "TestKeychainCredentialStore.moc"
