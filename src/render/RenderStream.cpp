// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameStream.h"

#include <QtEndian>
#include <algorithm>

namespace {

const QByteArray mark = QByteArrayLiteral("TSR1");

} // namespace

QByteArray FrameStream::pack(const QByteArray &message)
{
    QByteArray framed;
    framed.reserve(headerSize + message.size());
    framed.append(mark);
    char length[4];
    qToBigEndian(quint32(message.size()), length);
    framed.append(length, 4);
    framed.append(message);
    return framed;
}

void FrameStream::append(const QByteArray &bytes)
{
    if (!m_broken)
        m_buffer.append(bytes);
}

std::optional<QByteArray> FrameStream::next()
{
    if (m_broken)
        return std::nullopt;
    // A wrong mark is known as soon as its first bytes arrive.
    const qsizetype markBytes = std::min(m_buffer.size(), mark.size());
    if (m_buffer.first(markBytes) != mark.first(markBytes)) {
        m_broken = true;
        m_buffer.clear();
        return std::nullopt;
    }
    if (m_buffer.size() < headerSize)
        return std::nullopt;
    const qsizetype length = qFromBigEndian<quint32>(m_buffer.constData() + mark.size());
    if (length > largestMessage) {
        m_broken = true;
        m_buffer.clear();
        return std::nullopt;
    }
    if (m_buffer.size() < headerSize + length)
        return std::nullopt;
    QByteArray message = m_buffer.mid(headerSize, length);
    m_buffer.remove(0, headerSize + length);
    return message;
}
