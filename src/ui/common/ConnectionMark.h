// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>
#include <optional>

// The 28 × 28 mark at the start of a connections row: a shipped logo, or a system symbol tinted
// red. A logo that cannot be loaded falls back to the "app" symbol.
class ConnectionMark : public QWidget
{
    Q_OBJECT
public:
    // Where a logo is drawn from: a file, and whether it is a one-colour template to be tinted.
    struct LogoFile
    {
        QString path;
        bool isTemplate = false;

        bool operator==(const LogoFile &other) const = default;
    };

    static constexpr int side = 28;

    // `size` is the mark's side; the welcome flow's tool rows use smaller marks.
    static ConnectionMark *logo(const QString &name, QWidget *parent = nullptr, int size = side);
    static ConnectionMark *symbol(const QString &name, QWidget *parent = nullptr);

    // The logo's file in `logosDir`: "<name>-color.svg" in its own colours (unless the provider
    // with this logo has none, Provider::colouredLogoFile), else "<name>.png", else "<name>.svg"
    // as templates. None when none of them exists.
    static std::optional<LogoFile> findLogo(const QString &name, const QString &logosDir);
    // The shipped logos folder.
    static QString logosDir();

    // Whether the mark shows the "app" symbol because its logo could not be loaded.
    bool isFallback() const { return m_fallback; }

    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    ConnectionMark(const QString &logo, const QString &symbol, QWidget *parent, int size = side);
    QPixmap render(qreal devicePixelRatio);
    QPixmap renderLogo(const LogoFile &file, qreal devicePixelRatio) const;
    QPixmap renderSymbol(const QString &symbol, const QColor &colour, qreal devicePixelRatio) const;

    QString m_logo;
    QString m_symbol;
    int m_side = side;
    bool m_fallback = false;
    QPixmap m_cache;
};
