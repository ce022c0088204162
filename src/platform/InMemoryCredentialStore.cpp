#include "InMemoryCredentialStore.h"

#include <QCoroTimer>

QCoro::Task<CredentialStore::Item> InMemoryCredentialStore::read(QString service, QString account)
{
    co_await turn();
    if (!m_reachable)
        co_return Item{Status::Unavailable, {}};
    const auto it = m_items.constFind(Key(service, account));
    if (it == m_items.constEnd())
        co_return Item{Status::NotFound, {}};
    co_return Item{Status::Ok, *it};
}

QCoro::Task<CredentialStore::Status> InMemoryCredentialStore::remove(QString service, QString account)
{
    co_await turn();
    if (!m_reachable)
        co_return Status::Unavailable;
    co_return m_items.remove(Key(service, account)) > 0 ? Status::Ok : Status::NotFound;
}

QCoro::Task<CredentialStore::Status> InMemoryCredentialStore::add(QString service, QString account, QByteArray secret)
{
    co_await turn();
    if (!m_reachable)
        co_return Status::Unavailable;
    m_items.insert(Key(service, account), secret);
    co_return Status::Ok;
}

bool InMemoryCredentialStore::contains(const QString &service, const QString &account) const
{
    return m_items.contains(Key(service, account));
}

QByteArray InMemoryCredentialStore::secret(const QString &service, const QString &account) const
{
    return m_items.value(Key(service, account));
}

QCoro::Task<> InMemoryCredentialStore::turn() const
{
    if (m_answersLater)
        co_await QCoro::sleepFor(std::chrono::milliseconds(0));
}
