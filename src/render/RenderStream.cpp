// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderStream.h"

#include <QtEndian>
#include <algorithm>

namespace {

const QByteArray mark = QByteArrayLiteral("TSR1");

} // namespace

QByteArray RenderStream::pack(const QByteArray &message)
{
    QByteArray packed;
    packed.reserve(headerSize + message.size());
    packed.append(mark);
    char length[4];
    qToBigEndian(quint32(message.size()), length);
    packed.append(length, 4);
    packed.append(message);
    return packed;
}

void RenderStream::append(const QByteArray &bytes)
{
    if (!m_broken)
        m_buffer.append(bytes);
}

std::optional<QByteArray> RenderStream::next()
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
