// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConnectionRowState.h"

#include <QString>
#include <QUrl>
#include <functional>

class GitHubDeviceCode;
class QWidget;

// The trailing control of a connection row, made the same way in the connections window and
// the welcome flow.
namespace RowAction {

// What a row's control was made for, so that it is made again only when that changes (a
// control being pressed is never swapped for an equal one).
struct Key
{
    ConnectionRowState::Action action = ConnectionRowState::Action::none;
    QString code;
    QUrl url;

    bool operator==(const Key &other) const = default;
};

// What the controls do. An action whose handler is empty gets no control; a device code without
// cancelSignIn has no cancel button.
struct Handlers
{
    std::function<void()> signIn;
    std::function<void()> signOut;
    std::function<void()> cancelSignIn;
    std::function<void()> setUpClaude;
    std::function<void()> removeClaude;
    std::function<void()> allowCalendar;
    std::function<void()> openPrivacySettings;
    std::function<void()> checkAgain;
    // Dresses the device code for where it is shown; may be empty.
    std::function<void(GitHubDeviceCode &)> dressCode;
};

// The control for `key`, or nullptr when the action has none here.
QWidget *make(const Key &key, const Handlers &handlers);

} // namespace RowAction
