#pragma once

#include "CredentialStore.h"

#include <QHash>
#include <QPair>

// A credential store that lives in memory only, for tests and for runs that must not touch the
// desktop keyring. It can be made unreachable to play a keyring that is locked or missing.
class InMemoryCredentialStore : public CredentialStore
{
public:
    QCoro::Task<Item> read(QString service, QString account) override;
    QCoro::Task<Status> remove(QString service, QString account) override;
    QCoro::Task<Status> add(QString service, QString account, QByteArray secret) override;

    // While unreachable every operation answers Unavailable and changes nothing.
    void setReachable(bool reachable) { m_reachable = reachable; }
    // Answers on a later turn of the event loop, in the order asked, as the desktop keyring does,
    // rather than at once.
    void setAnswersLater(bool later) { m_answersLater = later; }
    bool contains(const QString &service, const QString &account) const;
    QByteArray secret(const QString &service, const QString &account) const;

private:
    using Key = QPair<QString, QString>;
    QHash<Key, QByteArray> m_items;
    bool m_reachable = true;
    bool m_answersLater = false;

    QCoro::Task<> turn() const;
};
