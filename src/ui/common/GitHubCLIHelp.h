// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

class QPushButton;

// The GitHub row's controls when Tessarine has no GitHub App to sign in to and relies on the
// GitHub CLI's login: "Copy Command" (the CLI is installed) or "Get GitHub CLI" (it is not),
// then "Check Again".
class GitHubCLIHelp : public QWidget
{
    Q_OBJECT
public:
    static const QString loginCommand; // "gh auth login"
    static const QUrl downloadPage;    // the GitHub CLI's web page

    GitHubCLIHelp(bool installed, std::function<void()> recheck, QWidget *parent = nullptr);

    bool installed() const { return m_installed; }
    // "Check Again" is turned off while a check runs.
    void setCheckEnabled(bool enabled);

    // Replaces what the clipboard holds with "gh auth login".
    static void copyLoginCommand();

private:
    QPushButton *firstButton();

    bool m_installed = false;
    std::function<void()> m_recheck;
    QPushButton *m_checkAgain = nullptr;
};
