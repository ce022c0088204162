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

    // The operations are coroutines, so they take their arguments by value: a caller's
    // temporaries are gone by the time an answer arrives.
    virtual QCoro::Task<Item> read(QString service, QString account) = 0;
    virtual QCoro::Task<Status> remove(QString service, QString account) = 0;
    // Adds the item, replacing one that already exists under the same pair.
    virtual QCoro::Task<Status> add(QString service, QString account, QByteArray secret) = 0;
};
