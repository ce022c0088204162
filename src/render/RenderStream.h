// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <optional>

// The stream of messages on the pipes between the card and its renderer process: render jobs
// one way, replies the other. Each message goes as a four-byte mark, its length as a 32-bit
// big-endian number, then its bytes. The reader collects bytes as they arrive and hands out whole
// messages; a wrong mark or an impossible length means the other side is not speaking this
// protocol (or its output got mixed with something else), and the stream is then broken for good.
class RenderStream
{
public:
    static constexpr qsizetype headerSize = 8;
    // Far above any picture's PNG (a scale-5 page is a few MB), far below what would hurt.
    static constexpr qsizetype largestMessage = 256 * 1024 * 1024;

    static QByteArray pack(const QByteArray &message);

    void append(const QByteArray &bytes);
    // The next whole message, or none while it is still incomplete (or the stream is broken).
    std::optional<QByteArray> next();
    bool broken() const { return m_broken; }
    // Bytes received that are not yet part of a whole message.
    qsizetype pending() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
    bool m_broken = false;
};
