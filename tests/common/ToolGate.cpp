// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolGate.h"

#include <sys/stat.h>

ToolGate::ToolGate(const QString &path)
    : m_pipe(path)
{
    // Opened for reading and writing, the pipe lasts as long as the gate and opening it never
    // blocks.
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) == 0)
        m_pipe.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

QByteArray ToolGate::waitLine() const
{
    return "read -r _ < '" + QFile::encodeName(m_pipe.fileName()) + "'";
}

void ToolGate::open()
{
    // One line for each tool that waits, far more than any test starts.
    m_pipe.write(QByteArray(256, '\n'));
}
