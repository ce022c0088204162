// SPDX-License-Identifier: GPL-3.0-or-later
#include "PngEncoder.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <thread>
#include <vector>
#include <zlib.h>

namespace {

const std::array<quint32, 256> crcTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

quint32 updateCrc(quint32 crc, const char *bytes, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        crc = crcTable[(crc ^ static_cast<quint8>(bytes[i])) & 0xff] ^ (crc >> 8);
    return crc;
}

void appendBigEndian(QByteArray &bytes, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 4);
}

bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    const QImage argb = image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_ARGB32
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(row[x]) != 255)
                return false;
        }
    }
    return true;
}

} // namespace

QByteArray PngEncoder::encode(const QImage &image)
{
    if (image.isNull())
        return {};
    ColourType type = Rgba;
    const QImage pixels = normalised(image, type);
    if (pixels.isNull())
        return {};

    QByteArray header;
    appendBigEndian(header, static_cast<quint32>(pixels.width()));
    appendBigEndian(header, static_cast<quint32>(pixels.height()));
    header.append(char(8)); // bits per sample
    header.append(char(type));
    header.append(3, char(0)); // deflate, adaptive filtering scheme, no interlace

    const QByteArray compressed = zlibStream(pixels);
    if (compressed.isEmpty())
        return {};

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", {});
    return png;
}

QImage PngEncoder::normalised(const QImage &image, ColourType &type)
{
    if (image.format() == QImage::Format_Grayscale8) {
        type = Grey;
        return image;
    }
    if (isOpaque(image)) {
        type = Rgb;
        return image.convertToFormat(QImage::Format_RGB888);
    }
    type = Rgba;
    return image.convertToFormat(QImage::Format_RGBA8888);
}

PngEncoder::Part PngEncoder::compressRows(const QImage &image, int first, int last, bool final)
{
    const qsizetype rowBytes = image.width() * (image.depth() / 8);
    QByteArray raw((last - first) * (rowBytes + 1), Qt::Uninitialized);
    char *out = raw.data();
    for (int y = first; y < last; ++y) {
        *out++ = 0; // filter type None
        std::memcpy(out, image.constScanLine(y), rowBytes);
        out += rowBytes;
    }

    Part part;
    part.length = raw.size();
    part.adler = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(raw.constData()), uInt(raw.size()));
    z_stream stream{};
    // A raw deflate stream: the parts are joined under one zlib header and checksum.
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    part.deflated.resize(qsizetype(deflateBound(&stream, uLong(raw.size())) + 16));
    stream.next_in = reinterpret_cast<Bytef *>(raw.data());
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(part.deflated.data());
    stream.avail_out = uInt(part.deflated.size());
    // A part that is not the last ends byte-aligned in a block that does not close the stream.
    const int result = deflate(&stream, final ? Z_FINISH : Z_SYNC_FLUSH);
    const bool complete = final ? result == Z_STREAM_END : result == Z_OK && stream.avail_in == 0;
    part.deflated.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    part.ok = complete;
    return part;
}

QByteArray PngEncoder::zlibStream(const QImage &image)
{
    const qsizetype rowBytes = image.width() * (image.depth() / 8) + 1;
    const int parts = int(std::clamp<qsizetype>(rowBytes * image.height() / bytesPerPart, 1, maxParts));
    std::vector<Part> compressed(size_t(parts), Part{});
    std::vector<std::thread> workers;
    for (int i = 0; i < parts; ++i) {
        const int first = image.height() * i / parts;
        const int last = image.height() * (i + 1) / parts;
        workers.emplace_back([&image, &compressed, i, first, last, parts] {
            compressed[size_t(i)] = compressRows(image, first, last, i == parts - 1);
        });
    }
    for (std::thread &worker : workers)
        worker.join();

    // Fastest-compression zlib header (CMF 0x78, FLG 0x01), the parts, the Adler-32 of all rows.
    QByteArray stream("\x78\x01", 2);
    uLong adler = adler32(0, nullptr, 0);
    for (const Part &part : compressed) {
        if (!part.ok)
            return {};
        stream.append(part.deflated);
        adler = adler32_combine(adler, part.adler, z_off_t(part.length));
    }
    appendBigEndian(stream, quint32(adler));
    return stream;
}

void PngEncoder::appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    appendBigEndian(png, static_cast<quint32>(data.size()));
    png.append(type, 4);
    png.append(data);
    appendBigEndian(png, crc32(type, data));
}

quint32 PngEncoder::crc32(const char *type, const QByteArray &data)
{
    quint32 crc = updateCrc(0xffffffffu, type, 4);
    crc = updateCrc(crc, data.constData(), data.size());
    return crc ^ 0xffffffffu;
}
