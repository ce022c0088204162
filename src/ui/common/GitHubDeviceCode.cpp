#include "GitHubDeviceCode.h"

#include "ConnectionsStyle.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The prominent button of the row, in the accent colour.
void makeProminent(QPushButton *button)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
    button->setPalette(palette);
    button->setDefault(true);
}

} // namespace

GitHubDeviceCode::GitHubDeviceCode(const QString &code, const QUrl &url, QWidget *parent, bool cancellable)
    : QWidget(parent)
    , m_code(code)
    , m_url(url)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_codeLabel = codeLabel();
    layout->addWidget(m_codeLabel);

    auto *open = new QPushButton(QStringLiteral("Copy Code and Open GitHub"), this);
    makeProminent(open);
    connect(open, &QPushButton::clicked, this, &GitHubDeviceCode::copyCodeAndOpen);
    layout->addWidget(open);

    if (!cancellable)
        return;
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &GitHubDeviceCode::cancelRequested);
    layout->addWidget(cancel);
}

QLabel *GitHubDeviceCode::codeLabel()
{
    auto *label = new QLabel(m_code, this);
    label->setObjectName(QStringLiteral("deviceCode"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(ConnectionsStyle::font(font(), ConnectionsStyle::Text::Title3Mono));
    return label;
}

void GitHubDeviceCode::setCodeFont(const QFont &font)
{
    m_codeLabel->setFont(font);
}

void GitHubDeviceCode::copyCodeAndOpen()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_code);
    QDesktopServices::openUrl(m_url);
}
