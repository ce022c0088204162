#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

// The GitHub row's controls while the device flow waits: the code to enter, "Copy Code and Open
// GitHub", which puts the code on the clipboard and opens GitHub's page for it, and "Cancel"
// unless the row is made without it (the welcome flow has none).
class GitHubDeviceCode : public QWidget
{
    Q_OBJECT
public:
    GitHubDeviceCode(const QString &code, const QUrl &url, QWidget *parent = nullptr, bool cancellable = true);

    QString code() const { return m_code; }
    QUrl url() const { return m_url; }
    // The welcome flow shows the code larger than the connections window does.
    void setCodeFont(const QFont &font);

    // Replaces what the clipboard holds with the code, then opens the verification page with the
    // desktop's default handler. When no handler opens it (no browser set up), the address is
    // shown under the button, selectable, so that it can be opened elsewhere.
    void copyCodeAndOpen();
    // The address shown after opening it failed; empty while it is not shown.
    QString fallbackText() const;

    // How the page is opened; the desktop's default handler unless replaced. Returns whether it
    // was opened.
    using UrlOpener = std::function<bool(const QUrl &)>;
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

Q_SIGNALS:
    void cancelRequested();

private:
    QLabel *codeLabel();

    QString m_code;
    QUrl m_url;
    QLabel *m_codeLabel = nullptr;
    QLabel *m_fallback = nullptr;
    UrlOpener m_openUrl;
};
