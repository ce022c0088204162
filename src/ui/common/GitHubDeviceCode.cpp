#include "GitHubDeviceCode.h"

#include "UiStyle.h"

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
    , m_openUrl([](const QUrl &page) { return QDesktopServices::openUrl(page); })
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

    m_fallback = new QLabel(this);
    m_fallback->setObjectName(QStringLiteral("openFailed"));
    m_fallback->setTextFormat(Qt::PlainText);
    m_fallback->setWordWrap(true);
    m_fallback->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_fallback->setFont(UiStyle::font(font(), UiStyle::Text::Caption));
    m_fallback->hide();
    layout->addWidget(m_fallback);

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
    label->setFont(UiStyle::font(font(), UiStyle::Text::Title3Mono));
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
    if (m_openUrl(m_url)) {
        m_fallback->hide();
        return;
    }
    m_fallback->setText(QStringLiteral("No browser opened. The code is copied; open ") + m_url.toString() +
                        QStringLiteral(" in a browser to enter it."));
    m_fallback->show();
}

QString GitHubDeviceCode::fallbackText() const
{
    return m_fallback->isHidden() ? QString() : m_fallback->text();
}
