// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A failure whose message is written for the user: a refresh shows it as its error line, the
// render command prints it. Every layer throws this one type for such failures, so whoever
// reports them needs no knowledge of where they came from.
class Problem : public std::exception
{
public:
    explicit Problem(QString message);

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
