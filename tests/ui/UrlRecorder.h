// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

// Plays the desktop's browser: while it lives, every address of its scheme that the program hands
// to QDesktopServices::openUrl is remembered instead of opened.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    explicit UrlRecorder(const QString &scheme = QStringLiteral("https"), QObject *parent = nullptr);
    ~UrlRecorder() override;

    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url);

private:
    QString m_scheme;
};
