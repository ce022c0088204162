// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubAuth.h"

#include "GitHubAuthClient.h"
#include "GitHubAuthClock.h"
#include "kit/OneLine.h"
#include "platform/Configuration.h"
#include "platform/CredentialStore.h"
#include "platform/Defaults.h"
#include "platform/KeychainCredentialStore.h"

#include <QPointer>
#include <algorithm>

namespace {

const QString notSetUp = QStringLiteral("Tessarine’s GitHub App isn’t set up in this build yet.");
const QString noSignInCode = QStringLiteral("GitHub didn’t return a sign-in code.");
const QString codeExpired = QStringLiteral("The code expired. Try again.");
const QString cancelledOnGitHub = QStringLiteral("Sign-in was cancelled on GitHub.");
const QString unexpectedReply = QStringLiteral("GitHub sent an unexpected reply.");
const QString signInExpired = QStringLiteral("Your GitHub sign-in expired. Sign in again.");
const QString fallbackLogin = QStringLiteral("GitHub"); // shown when GitHub sends no login
const QString gitHubSaid = QStringLiteral("GitHub said: ");
// GitHub's codes are nine characters; anything near this long is not a code.
constexpr qsizetype maxUserCodeLength = 64;

// Why a token from a finished sign-in could not be kept, in the keyring's terms.
QString notKept(CredentialStore::Status status)
{
    const QString reason = status == CredentialStore::Status::TimedOut
                               ? QStringLiteral("the keyring didn’t answer in time")
                               : QStringLiteral("no keyring is available on this desktop");
    return QStringLiteral("Tessarine couldn’t keep your GitHub sign-in: %1.").arg(reason);
}

const QString deviceCodePath = QStringLiteral("login/device/code");
const QString accessTokenPath = QStringLiteral("login/oauth/access_token");
const QString deviceCodeGrant = QStringLiteral("urn:ietf:params:oauth:grant-type:device_code");
const QString clientIdField = QStringLiteral("client_id");
const QString grantTypeField = QStringLiteral("grant_type");

constexpr qint64 defaultIntervalSeconds = 5;
constexpr qint64 longestIntervalSeconds = 24 * 3600;
constexpr qint64 slowDownStepSeconds = 5;
constexpr qint64 defaultCodeLifetimeSeconds = 900;
constexpr qint64 longestCodeLifetimeSeconds = 7 * 24 * 3600;
constexpr qint64 refreshMarginSeconds = 60;

// What GitHub issued in answer to the device-code request.
struct DeviceCode
{
    QString deviceCode;
    QString userCode;
    QUrl verificationUrl;
    qint64 interval = defaultIntervalSeconds;
    QDateTime deadline;
};

GitHubAuthClient::FormFields refreshFields(const QString &clientID, const QString &refreshToken)
{
    return {{clientIdField, clientID},
            {grantTypeField, QStringLiteral("refresh_token")},
            {QStringLiteral("refresh_token"), refreshToken}};
}

// The verification page is opened in the user's browser, so only a web address will do.
std::optional<QUrl> webUrl(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    const QUrl url(value.toString(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QStringLiteral("https") && scheme != QStringLiteral("http")))
        return std::nullopt;
    return url;
}

std::optional<DeviceCode> deviceCodeFrom(const QJsonObject &reply, const QDateTime &now)
{
    const QJsonValue deviceCode = reply.value(QStringLiteral("device_code"));
    const QJsonValue userCode = reply.value(QStringLiteral("user_code"));
    const auto url = webUrl(reply.value(QStringLiteral("verification_uri")));
    if (!deviceCode.isString() || !userCode.isString() || !url)
        return std::nullopt;

    // The code is shown large for the user to type: only what a code is made of.
    const QString shownCode = OneLine::of(userCode.toString(), maxUserCodeLength);
    if (shownCode.isEmpty() || shownCode.size() >= maxUserCodeLength)
        return std::nullopt;
    DeviceCode code{deviceCode.toString(), shownCode, *url, defaultIntervalSeconds, {}};
    // A zero or negative interval would poll GitHub without pause until the code expires.
    const auto interval = GitHubJson::integer(reply.value(QStringLiteral("interval")));
    if (interval && *interval > 0)
        code.interval = std::min(*interval, longestIntervalSeconds);
    const qint64 lifetime =
        GitHubJson::integer(reply.value(QStringLiteral("expires_in"))).value_or(defaultCodeLifetimeSeconds);
    code.deadline = now.addSecs(std::min(lifetime, longestCodeLifetimeSeconds));
    return code;
}

// The problem a poll reply without a token stands for; none means poll again.
std::optional<QString> pollProblem(const QJsonValue &error)
{
    if (!error.isString())
        return unexpectedReply;
    const QString text = error.toString();
    if (text == QStringLiteral("authorization_pending") || text == QStringLiteral("slow_down"))
        return std::nullopt;
    if (text == QStringLiteral("access_denied"))
        return cancelledOnGitHub;
    if (text == QStringLiteral("expired_token"))
        return codeExpired;
    return gitHubSaid + OneLine::of(text);
}

} // namespace

// How polling for the token ended.
struct GitHubAuth::PollResult
{
    std::optional<Token> token;
    QString problem;      // set when it failed
    bool stopped = false; // the flow was stopped; nothing more may change
};

const QString GitHubAuth::storeService = QStringLiteral("app.tessarine.github");
const QString GitHubAuth::storeAccount = QStringLiteral("token");

GitHubAuth::GitHubAuth(const Configuration &configuration, QObject *parent)
    : GitHubAuth(configuration, std::make_shared<KeychainCredentialStore>(), std::make_shared<GitHubAuthClock>(),
                 parent)
{}

GitHubAuth::GitHubAuth(const Configuration &configuration, std::shared_ptr<CredentialStore> store,
                       std::shared_ptr<GitHubAuthClock> clock, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_clock(std::move(clock))
    , m_client(std::make_shared<GitHubAuthClient>(QUrl(configuration.gitHubWeb), QUrl(configuration.gitHubApi)))
{
    restoreFromStore();
}

GitHubAuth::~GitHubAuth() = default;

std::optional<QString> GitHubAuth::clientID()
{
    const std::optional<QString> configured = Defaults::stringValue(QStringLiteral("githubClientID"));
    if (configured && !configured->isEmpty())
        return configured;
    const QString compiledIn = QStringLiteral(TESSARINE_GITHUB_CLIENT_ID);
    if (!compiledIn.isEmpty())
        return compiledIn;
    return std::nullopt;
}

void GitHubAuth::setRequestTimeout(std::chrono::milliseconds timeout)
{
    m_client->setTimeout(timeout);
}

void GitHubAuth::setState(const State &state)
{
    ++m_stateEpoch;
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(m_state);
}

void GitHubAuth::stopFlow()
{
    ++m_flow;
}

QCoro::Task<> GitHubAuth::restoreFromStore()
{
    QPointer<GitHubAuth> self(this);
    const quint64 epoch = m_stateEpoch;
    const std::optional<Token> token = co_await loadToken(m_store);
    if (self && self->m_stateEpoch == epoch && token && token->login)
        self->setState(State::signedIn(*token->login));
}

QCoro::Task<> GitHubAuth::signIn()
{
    const std::optional<QString> id = clientID();
    if (!id) {
        setState(State::failed(notSetUp));
        co_return;
    }
    stopFlow();
    co_await runDeviceFlow(*id, m_flow);
}

QCoro::Task<> GitHubAuth::cancel()
{
    stopFlow();
    QPointer<GitHubAuth> self(this);
    const quint64 epoch = m_stateEpoch;
    const std::optional<Token> token = co_await loadToken(m_store);
    if (!self || self->m_stateEpoch != epoch)
        co_return;
    self->setState(token && token->login ? State::signedIn(*token->login) : State::signedOut());
}

QCoro::Task<> GitHubAuth::signOut()
{
    stopFlow();
    setState(State::signedOut());
    const auto store = m_store;
    co_await store->remove(storeService, storeAccount);
}

QCoro::Task<std::optional<QString>> GitHubAuth::accessToken()
{
    QPointer<GitHubAuth> self(this);
    const auto store = m_store;
    const auto clock = m_clock;
    const auto client = m_client;

    const std::optional<Token> token = co_await loadToken(store);
    if (!token)
        co_return std::nullopt;
    if (!token->expiresAt || *token->expiresAt >= clock->now().addSecs(refreshMarginSeconds))
        co_return token->access;

    const std::optional<QString> id = clientID();
    if (token->refresh && id) {
        const GitHubAuthClient::FormFields fields = refreshFields(*id, *token->refresh);
        const GitHubAuthClient::Reply reply = co_await client->postForm(accessTokenPath, fields);
        std::optional<Token> renewed = reply.ok() ? Token::fromReply(*reply.object, clock->now()) : std::nullopt;
        if (renewed) {
            renewed->login = token->login;
            co_await saveToken(store, *renewed);
            co_return renewed->access;
        }
    }

    co_await store->remove(storeService, storeAccount);
    if (self)
        self->setState(State::failed(signInExpired));
    co_return std::nullopt;
}

QCoro::Task<> GitHubAuth::runDeviceFlow(QString clientID, quint64 flow)
{
    QPointer<GitHubAuth> self(this);
    const auto clock = m_clock;
    const std::shared_ptr<const GitHubAuthClient> client = m_client;
    const auto stopped = [self, flow] { return !self || self->m_flow != flow; };

    const GitHubAuthClient::FormFields codeFields = {{clientIdField, clientID}};
    const GitHubAuthClient::Reply codeReply = co_await client->postForm(deviceCodePath, codeFields);
    if (stopped())
        co_return;
    const std::optional<DeviceCode> code =
        codeReply.ok() ? deviceCodeFrom(*codeReply.object, clock->now()) : std::nullopt;
    if (!code) {
        self->setState(State::failed(codeReply.ok() ? noSignInCode : codeReply.error));
        co_return;
    }
    self->setState(State::waiting(code->userCode, code->verificationUrl));

    PollResult poll =
        co_await pollForToken(client, clock, clientID, code->deviceCode, code->interval, code->deadline, stopped);
    if (poll.stopped || stopped())
        co_return;
    if (!poll.token) {
        self->setState(State::failed(poll.problem));
        co_return;
    }
    co_await self->completeSignIn(std::move(*poll.token), flow);
}

QCoro::Task<> GitHubAuth::completeSignIn(Token token, quint64 flow)
{
    QPointer<GitHubAuth> self(this);
    const auto store = m_store;
    const std::shared_ptr<const GitHubAuthClient> client = m_client;
    const auto stopped = [self, flow] { return !self || self->m_flow != flow; };

    const GitHubAuthClient::LoginReply login = co_await client->fetchLogin(token.access);
    if (stopped())
        co_return;
    if (!login.ok) {
        // The token is not kept when the login cannot be learned.
        self->setState(State::failed(login.error));
        co_return;
    }
    token.login = login.login;
    const CredentialStore::Status saved = co_await saveToken(store, token);
    if (stopped())
        co_return;
    // A token that could not be kept is no sign-in: the next refresh would find none.
    if (saved != CredentialStore::Status::Ok) {
        self->setState(State::failed(notKept(saved)));
        co_return;
    }
    self->setState(State::signedIn(login.login.value_or(fallbackLogin)));
}

QCoro::Task<GitHubAuth::PollResult> GitHubAuth::pollForToken(std::shared_ptr<const GitHubAuthClient> client,
                                                             std::shared_ptr<GitHubAuthClock> clock, QString clientID,
                                                             QString deviceCode, qint64 interval, QDateTime deadline,
                                                             std::function<bool()> stopped)
{
    const GitHubAuthClient::FormFields fields = {
        {clientIdField, clientID}, {QStringLiteral("device_code"), deviceCode}, {grantTypeField, deviceCodeGrant}};
    while (clock->now() < deadline) {
        co_await clock->sleep(std::chrono::seconds(interval));
        if (stopped())
            co_return PollResult{std::nullopt, {}, true};
        const GitHubAuthClient::Reply reply = co_await client->postForm(accessTokenPath, fields);
        if (stopped())
            co_return PollResult{std::nullopt, {}, true};
        if (!reply.ok())
            co_return PollResult{std::nullopt, reply.error};
        if (std::optional<Token> token = Token::fromReply(*reply.object, clock->now()))
            co_return PollResult{std::move(token), {}};

        const QJsonValue error = reply.object->value(QStringLiteral("error"));
        if (const std::optional<QString> problem = pollProblem(error))
            co_return PollResult{std::nullopt, *problem};
        if (error.toString() == QStringLiteral("slow_down"))
            interval = std::min(interval + slowDownStepSeconds, longestIntervalSeconds);
    }
    co_return PollResult{std::nullopt, codeExpired};
}

QCoro::Task<std::optional<GitHubAuth::Token>> GitHubAuth::loadToken(std::shared_ptr<CredentialStore> store)
{
    const CredentialStore::Item item = co_await store->read(storeService, storeAccount);
    if (!item.found())
        co_return std::nullopt;
    co_return Token::fromJson(item.secret);
}

QCoro::Task<CredentialStore::Status> GitHubAuth::saveToken(std::shared_ptr<CredentialStore> store, Token token)
{
    // Delete first, so that a failed add leaves no token behind rather than the old one.
    co_await store->remove(storeService, storeAccount);
    co_return co_await store->add(storeService, storeAccount, token.toJson());
}
