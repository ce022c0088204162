// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GitHubAuthState.h"
#include "GitHubAuthToken.h"
#include "platform/CredentialStore.h"

#include <QCoroTask>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class GitHubAuthClient;
struct Configuration;
class GitHubAuthClock;

// Signs the user in to GitHub with the OAuth device flow (RFC 8628) against Tessarine's GitHub App,
// keeps the token in the credential store (the desktop keyring), refreshes it shortly before it
// expires, and publishes the sign-in state for the connections window and the welcome flow.
//
// Lives on the GUI thread. At most one sign-in flow runs: a new signIn(), cancel() or signOut()
// stops the running one, which then changes nothing more, even when its network reply or sleep
// ends later.
class GitHubAuth : public QObject
{
    Q_OBJECT
    Q_PROPERTY(GitHubAuthState state READ state NOTIFY stateChanged)

public:
    using State = GitHubAuthState;
    using Token = GitHubAuthToken;

    // Where the token is kept in the credential store.
    static const QString storeService; // "app.tessarine.github"
    static const QString storeAccount; // "token"

    // Signs in on the configuration's GitHub hosts; uses the desktop keyring and the real clock.
    explicit GitHubAuth(const Configuration &configuration, QObject *parent = nullptr);
    GitHubAuth(const Configuration &configuration, std::shared_ptr<CredentialStore> store,
               std::shared_ptr<GitHubAuthClock> clock, QObject *parent = nullptr);
    ~GitHubAuth() override;

    State state() const { return m_state; }

    // The GitHub App's client id: the defaults key `githubClientID`, else the id compiled in with
    // -DTESSARINE_GITHUB_CLIENT_ID; none when both are empty. Read anew on every use.
    static std::optional<QString> clientID();

    // Starts the device flow. Completes when the flow ends (signed in, failed or stopped); callers
    // that only watch the state may drop the returned task.
    QCoro::Task<> signIn();
    // Stops the running flow and shows what the store holds: signed in with the stored login, or
    // signed out.
    QCoro::Task<> cancel();
    // Stops the running flow, shows signed out and deletes the stored token. Await it before
    // asking for a refresh so that the refresh no longer finds the token.
    QCoro::Task<> signOut();
    // A usable access token: the stored one, refreshed first when it expires within 60 seconds.
    // None when there is no token or the refresh is impossible or fails; the stored token is
    // then deleted and the state says the sign-in expired.
    QCoro::Task<std::optional<QString>> accessToken();

    // Stops waiting for a GitHub server that sends nothing for this long (60 seconds by default).
    void setRequestTimeout(std::chrono::milliseconds timeout);

Q_SIGNALS:
    // Emitted only when the state changes to a different value.
    void stateChanged(const GitHubAuthState &state);

private:
    struct PollResult;

    void setState(const State &state);
    void stopFlow();
    QCoro::Task<> restoreFromStore();
    QCoro::Task<> runDeviceFlow(QString clientID, quint64 flow);
    // Learns the login for a fresh token, stores both and shows the user signed in.
    QCoro::Task<> completeSignIn(Token token, quint64 flow);
    static QCoro::Task<PollResult> pollForToken(std::shared_ptr<const GitHubAuthClient> client,
                                                std::shared_ptr<GitHubAuthClock> clock, QString clientID,
                                                QString deviceCode, qint64 interval, QDateTime deadline,
                                                std::function<bool()> stopped);
    static QCoro::Task<std::optional<Token>> loadToken(std::shared_ptr<CredentialStore> store);
    // The store's answer to the add; anything but Ok means no token is kept.
    static QCoro::Task<CredentialStore::Status> saveToken(std::shared_ptr<CredentialStore> store, Token token);

    std::shared_ptr<CredentialStore> m_store;
    std::shared_ptr<GitHubAuthClock> m_clock;
    std::shared_ptr<GitHubAuthClient> m_client;
    State m_state;
    // Counts flows started or stopped; a flow whose number is no longer current is stopped.
    quint64 m_flow = 0;
    // Counts every assignment of the state, equal or not, so that a slow store read started
    // earlier never overwrites a state set since.
    quint64 m_stateEpoch = 0;
};
