// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowAction.h"

#include "GitHubCLIHelp.h"
#include "GitHubDeviceCode.h"

#include <QPushButton>

namespace RowAction {

namespace {

using Action = ConnectionRowState::Action;

QWidget *button(const QString &text, const QString &help, const std::function<void()> &pressed)
{
    if (!pressed)
        return nullptr;
    auto *button = new QPushButton(text);
    button->setToolTip(help);
    QObject::connect(button, &QPushButton::clicked, button, pressed);
    return button;
}

QWidget *deviceCode(const Key &key, const Handlers &handlers)
{
    const bool cancellable = static_cast<bool>(handlers.cancelSignIn);
    auto *code = new GitHubDeviceCode(key.code, key.url, nullptr, cancellable);
    if (cancellable)
        QObject::connect(code, &GitHubDeviceCode::cancelRequested, code, handlers.cancelSignIn);
    if (handlers.dressCode)
        handlers.dressCode(*code);
    return code;
}

} // namespace

QWidget *make(const Key &key, const Handlers &handlers)
{
    switch (key.action) {
    case Action::none:
        return nullptr;
    case Action::setUpClaude:
        return button(QStringLiteral("Set Up"), QString(), handlers.setUpClaude);
    case Action::removeClaude:
        return button(QStringLiteral("Remove"), QString(), handlers.removeClaude);
    case Action::deviceCode:
        return deviceCode(key, handlers);
    case Action::signOut:
        return button(QStringLiteral("Sign Out"), QString(), handlers.signOut);
    case Action::signIn:
        return button(QStringLiteral("Sign In…"), QStringLiteral("Sign in with your GitHub account"), handlers.signIn);
    case Action::gitHubCliCopyCommand:
    case Action::gitHubCliInstall:
        if (!handlers.checkAgain)
            return nullptr;
        return new GitHubCLIHelp(key.action == Action::gitHubCliCopyCommand, handlers.checkAgain);
    case Action::allowCalendar:
        return button(QStringLiteral("Allow…"), QString(), handlers.allowCalendar);
    case Action::openPrivacySettings:
        return button(QStringLiteral("Open Privacy Settings"), QString(), handlers.openPrivacySettings);
    }
    return nullptr;
}

} // namespace RowAction
