#include "GitHubCLIHelp.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QUrl>

const QString GitHubCLIHelp::loginCommand = QStringLiteral("gh auth login");
const QUrl GitHubCLIHelp::downloadPage = QUrl(QStringLiteral("https://cli.github.com/"));

GitHubCLIHelp::GitHubCLIHelp(bool installed, std::function<void()> recheck, QWidget *parent)
    : QWidget(parent)
    , m_installed(installed)
    , m_recheck(std::move(recheck))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(firstButton());
    m_checkAgain = new QPushButton(QStringLiteral("Check Again"), this);
    connect(m_checkAgain, &QPushButton::clicked, this, [this] {
        if (m_recheck)
            m_recheck();
    });
    layout->addWidget(m_checkAgain);
}

QPushButton *GitHubCLIHelp::firstButton()
{
    if (m_installed) {
        auto *copy = new QPushButton(QStringLiteral("Copy Command"), this);
        copy->setToolTip(QStringLiteral("Copies “gh auth login” to paste into a terminal"));
        connect(copy, &QPushButton::clicked, this, &GitHubCLIHelp::copyLoginCommand);
        return copy;
    }
    auto *get = new QPushButton(QStringLiteral("Get GitHub CLI"), this);
    get->setToolTip(QStringLiteral("Opens cli.github.com. With apt: sudo apt install gh"));
    connect(get, &QPushButton::clicked, this, [] { QDesktopServices::openUrl(downloadPage); });
    return get;
}

void GitHubCLIHelp::setCheckEnabled(bool enabled)
{
    m_checkAgain->setEnabled(enabled);
}

void GitHubCLIHelp::copyLoginCommand()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(loginCommand);
}
