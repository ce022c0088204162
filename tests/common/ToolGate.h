// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Where a fake tool waits until the test lets it go, without polling: a named pipe the tool reads
// a line from. The test holds the pipe open, so what it writes waits there for a tool that has not
// come yet, and a tool still waiting when the gate goes reads the end of the pipe and goes on.
class ToolGate
{
public:
    explicit ToolGate(const QString &path);

    bool isValid() const { return m_pipe.isOpen(); }
    // The shell line that waits at the gate.
    QByteArray waitLine() const;
    // Lets the waiting tool go, and every later one.
    void open();

private:
    QFile m_pipe;
};
