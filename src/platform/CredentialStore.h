#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QString>

// A per-user secure store of secrets, each kept under a service and account pair. Three
// operations are all Tessarine needs: read one item, delete it, add it. Every operation is
// awaited and always completes: a store that cannot be reached answers Unavailable (or TimedOut
// when it did not answer in time) and never throws.
class CredentialStore
{
public:
    enum class Status
    {
        Ok,
        NotFound,
        Unavailable,
        TimedOut,
    };

    struct Item
    {
        Status status = Status::NotFound;
        QByteArray secret; // empty unless status is Ok

        bool found() const { return status == Status::Ok; }
    };

    virtual ~CredentialStore() = default;

    virtual QCoro::Task<Item> read(const QString &service, const QString &account) = 0;
    virtual QCoro::Task<Status> remove(const QString &service, const QString &account) = 0;
    // Adds the item, replacing one that already exists under the same pair.
    virtual QCoro::Task<Status> add(const QString &service, const QString &account, const QByteArray &secret) = 0;
};
