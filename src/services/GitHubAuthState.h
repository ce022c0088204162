// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>
#include <QUrl>

// What the connections window and the welcome flow show about GitHub sign-in: signed out, waiting
// for the user to enter a code on GitHub, signed in as a login, or failed with a message shown as
// it stands. A value with equality, so that assigning an equal state can notify nobody.
class GitHubAuthState
{
    Q_GADGET
    Q_PROPERTY(Kind kind READ kind)
    Q_PROPERTY(QString code READ code)
    Q_PROPERTY(QUrl url READ url)
    Q_PROPERTY(QString login READ login)
    Q_PROPERTY(QString message READ message)

public:
    enum class Kind
    {
        SignedOut,
        Waiting,
        SignedIn,
        Failed,
    };
    Q_ENUM(Kind)

    GitHubAuthState() = default; // signed out

    static GitHubAuthState signedOut() { return {}; }
    static GitHubAuthState waiting(const QString &code, const QUrl &url);
    static GitHubAuthState signedIn(const QString &login);
    static GitHubAuthState failed(const QString &message);

    Kind kind() const { return m_kind; }
    // The user code to enter on GitHub and the page to enter it on; empty unless waiting.
    QString code() const { return m_kind == Kind::Waiting ? m_text : QString(); }
    QUrl url() const { return m_url; }
    // Empty unless signed in.
    QString login() const { return m_kind == Kind::SignedIn ? m_text : QString(); }
    // Empty unless failed.
    QString message() const { return m_kind == Kind::Failed ? m_text : QString(); }

    bool operator==(const GitHubAuthState &other) const = default;

private:
    GitHubAuthState(Kind kind, const QString &text, const QUrl &url = {});

    Kind m_kind = Kind::SignedOut;
    QString m_text; // the code, the login or the message, by kind
    QUrl m_url;
};

Q_DECLARE_METATYPE(GitHubAuthState)
