// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolGate.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ToolGate::ToolGate(const QString &path)
    : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    // Opened for reading and writing, the pipe lasts as long as the gate and opening it never
    // blocks.
    if (::mkfifo(name.constData(), 0600) == 0)
        m_descriptor = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

ToolGate::~ToolGate()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QByteArray ToolGate::waitLine() const
{
    return "read -r _ < '" + QFile::encodeName(m_path) + "'";
}

void ToolGate::open()
{
    // One line for each tool that waits, far more than any test starts.
    const QByteArray lines(256, '\n');
    if (m_descriptor >= 0 && ::write(m_descriptor, lines.constData(), size_t(lines.size())) != lines.size())
        qWarning("the gate %s did not open", qPrintable(m_path));
}
