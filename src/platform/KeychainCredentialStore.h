#pragma once

#include "CredentialStore.h"

#include <chrono>

// The desktop keyring (Secret Service or KWallet) through QtKeychain. Never falls back to a
// plain-text file: a keyring that is missing, locked or slow reads as Unavailable or TimedOut.
class KeychainCredentialStore : public CredentialStore
{
public:
    // How long one keyring operation may take. Long enough for the user to answer the keyring's
    // own unlock prompt, short enough that a refresh is not held up for ever by a keyring that
    // never answers.
    static constexpr std::chrono::milliseconds defaultBound{30'000};

    explicit KeychainCredentialStore(std::chrono::milliseconds bound = defaultBound);

    QCoro::Task<Item> read(QString service, QString account) override;
    QCoro::Task<Status> remove(QString service, QString account) override;
    QCoro::Task<Status> add(QString service, QString account, QByteArray secret) override;

private:
    std::chrono::milliseconds m_bound;
};
