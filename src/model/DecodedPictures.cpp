// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecodedPictures.h"

#include <QBuffer>
#include <QCoroFuture>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace {

QCoro::Task<> awaitAll(QList<QFuture<QImage>> decodings)
{
    for (QFuture<QImage> &decoding : decodings)
        co_await decoding;
}

} // namespace

QImage DecodedPictures::decode(const QByteArray &png, int widthLimit)
{
    QByteArray bytes = png;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (widthLimit > 0 && size.width() > widthLimit)
        reader.setScaledSize(QSize(widthLimit, std::max(1, qRound(double(size.height()) * widthLimit / size.width()))));
    QImage image = reader.read();
    if (image.format() == QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

void DecodedPictures::add(const QString &path, const QByteArray &png, int widthLimit)
{
    const QFileInfo file(path);
    Pending pending;
    pending.widthLimit = widthLimit;
    pending.fileSize = file.size();
    pending.modified = file.lastModified();
    pending.image = QtConcurrent::run(&DecodedPictures::decode, png, widthLimit);
    m_pending.insert(path, pending);
}

QCoro::Task<> DecodedPictures::whenDecoded() const
{
    QList<QFuture<QImage>> decodings;
    for (const Pending &pending : m_pending)
        decodings.append(pending.image);
    return awaitAll(std::move(decodings));
}

std::optional<QImage> DecodedPictures::take(const QString &path, int widthLimit)
{
    if (!m_pending.contains(path))
        return std::nullopt;
    const Pending pending = m_pending.take(path);
    // Still decoding: the caller reads the file itself rather than waiting here.
    if (!pending.image.isFinished())
        return std::nullopt;
    const QFileInfo file(path);
    if (pending.widthLimit != widthLimit || !file.exists() || file.size() != pending.fileSize ||
        file.lastModified() != pending.modified)
        return std::nullopt;
    const QImage image = pending.image.result();
    if (image.isNull())
        return std::nullopt;
    return image;
}

void DecodedPictures::clear()
{
    // Decodings still running finish on their own; their pictures are dropped with the futures.
    m_pending.clear();
}
