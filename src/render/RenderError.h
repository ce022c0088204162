#pragma once

#include <QString>
#include <exception>

// The error a render throws: the page view could not be loaded or its picture could not be
// taken. Its message is the line the refresh shows to the user.
class RenderError : public std::exception
{
public:
    explicit RenderError(QString message);

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
