// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeychainCredentialStore.h"

#include "platform/SignalWait.h"

#include <QCoroTask>
#include <qt6keychain/keychain.h>

namespace {

using Status = CredentialStore::Status;

Status statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return Status::Ok;
    case QKeychain::EntryNotFound:
        return Status::NotFound;
    default:
        return Status::Unavailable;
    }
}

template<typename JobType>
JobType *newJob(const QString &service, const QString &account)
{
    auto *job = new JobType(service);
    job->setAutoDelete(false);
    job->setInsecureFallback(false); // never keep the secret in a plain-text file
    job->setKey(account);
    return job;
}

// Starts the job and waits for it at most `bound`; true when it finished in time. The job deletes
// itself once it has ended, so the caller reads its result right after this returns, before the
// event loop runs again. A job that timed out may still be talking to the keyring (deleting it
// then would leave the keyring library calling back into freed memory), so it is deleted only
// when it ends, if ever.
QCoro::Task<bool> finishWithin(QKeychain::Job *job, std::chrono::milliseconds bound)
{
    // Listen before starting, in case the job reports at once.
    auto finished = nextSignal(job, &QKeychain::Job::finished, bound);
    job->start();
    const bool inTime = (co_await std::move(finished)).has_value();
    if (inTime)
        job->deleteLater();
    else
        QObject::connect(job, &QKeychain::Job::finished, job, &QObject::deleteLater);
    co_return inTime;
}

} // namespace

KeychainCredentialStore::KeychainCredentialStore(std::chrono::milliseconds bound)
    : m_bound(bound)
{}

QCoro::Task<CredentialStore::Item> KeychainCredentialStore::read(QString service, QString account)
{
    const auto bound = m_bound;
    auto *job = newJob<QKeychain::ReadPasswordJob>(service, account);
    if (!co_await finishWithin(job, bound))
        co_return Item{Status::TimedOut, {}};
    const Status status = statusOf(job->error());
    co_return Item{status, status == Status::Ok ? job->binaryData() : QByteArray()};
}

QCoro::Task<CredentialStore::Status> KeychainCredentialStore::remove(QString service, QString account)
{
    const auto bound = m_bound;
    auto *job = newJob<QKeychain::DeletePasswordJob>(service, account);
    if (!co_await finishWithin(job, bound))
        co_return Status::TimedOut;
    co_return statusOf(job->error());
}

QCoro::Task<CredentialStore::Status> KeychainCredentialStore::add(QString service, QString account, QByteArray secret)
{
    const auto bound = m_bound;
    auto *job = newJob<QKeychain::WritePasswordJob>(service, account);
    job->setBinaryData(secret);
    if (!co_await finishWithin(job, bound))
        co_return Status::TimedOut;
    co_return statusOf(job->error());
}
