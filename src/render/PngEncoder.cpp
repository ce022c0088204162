// SPDX-License-Identifier: GPL-3.0-or-later
#include "PngEncoder.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <thread>
#include <vector>

namespace {

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
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) != 255)
                return false;
        }
    }
    return true;
}

struct CompressorDeleter
{
    void operator()(libdeflate_compressor *compressor) const { libdeflate_free_compressor(compressor); }
};

// PNG stores colour components unpremultiplied, red first.
inline void putRgb(char *out, QRgb pixel)
{
    out[0] = char(qRed(pixel));
    out[1] = char(qGreen(pixel));
    out[2] = char(qBlue(pixel));
}

inline void putRgba(char *out, QRgb premultiplied)
{
    const int alpha = qAlpha(premultiplied);
    const QRgb pixel = alpha == 255 || alpha == 0 ? premultiplied : qUnpremultiply(premultiplied);
    putRgb(out, pixel);
    out[3] = char(alpha);
}

} // namespace

QByteArray PngEncoder::encode(QImage image)
{
    if (image.isNull())
        return {};
    ColourType type = Rgba;
    QImage source = sourceFor(image, type);
    if (source.isNull())
        return {};

    QByteArray header;
    appendBigEndian(header, static_cast<quint32>(source.width()));
    appendBigEndian(header, static_cast<quint32>(source.height()));
    header.append(char(8)); // bits per sample
    header.append(char(type));
    header.append(3, char(0)); // deflate, adaptive filtering scheme, no interlace

    QByteArray rows = filteredRows(source, type);
    source = QImage();
    image = QImage();
    const QByteArray compressed = zlibStream(rows);
    rows.clear();
    if (compressed.isEmpty())
        return {};

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", {});
    return png;
}

QImage PngEncoder::sourceFor(const QImage &image, ColourType &type)
{
    // Grey stays grey; everything else is read as 32-bit pixels, which the grab already gives.
    if (image.format() == QImage::Format_Grayscale8) {
        type = Grey;
        return image;
    }
    const bool premultiplied =
        image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32;
    const QImage pixels = premultiplied ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    type = isOpaque(pixels) ? Rgb : Rgba;
    return pixels;
}

void PngEncoder::layOutRows(const QImage &image, ColourType type, int first, int last, char *out)
{
    const int width = image.width();
    const qsizetype rowBytes = qsizetype(width) * (type == Grey ? 1 : type == Rgb ? 3 : 4);
    for (int y = first; y < last; ++y) {
        *out++ = 0; // filter type None
        if (type == Grey) {
            std::memcpy(out, image.constScanLine(y), size_t(rowBytes));
        } else {
            const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            if (type == Rgb) {
                for (int x = 0; x < width; ++x)
                    putRgb(out + 3 * x, row[x]);
            } else {
                for (int x = 0; x < width; ++x)
                    putRgba(out + 4 * x, row[x]);
            }
        }
        out += rowBytes;
    }
}

QByteArray PngEncoder::filteredRows(const QImage &image, ColourType type)
{
    const qsizetype rowBytes = qsizetype(image.width()) * (type == Grey ? 1 : type == Rgb ? 3 : 4) + 1;
    QByteArray rows(rowBytes * image.height(), Qt::Uninitialized);
    const int parts = int(std::clamp<qsizetype>(rows.size() / bytesPerPart, 1, maxParts));
    std::vector<std::thread> workers;
    for (int i = 0; i < parts; ++i) {
        const int first = image.height() * i / parts;
        const int last = image.height() * (i + 1) / parts;
        char *out = rows.data() + rowBytes * first;
        if (i == parts - 1)
            layOutRows(image, type, first, last, out);
        else
            workers.emplace_back([&image, type, first, last, out] { layOutRows(image, type, first, last, out); });
    }
    for (std::thread &worker : workers)
        worker.join();
    return rows;
}

QByteArray PngEncoder::zlibStream(const QByteArray &rows)
{
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(compressionLevel));
    if (!compressor)
        return {};
    QByteArray stream(qsizetype(libdeflate_zlib_compress_bound(compressor.get(), size_t(rows.size()))),
                      Qt::Uninitialized);
    const size_t written = libdeflate_zlib_compress(compressor.get(), rows.constData(), size_t(rows.size()),
                                                    stream.data(), size_t(stream.size()));
    if (written == 0)
        return {};
    stream.truncate(qsizetype(written));
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
    quint32 crc = libdeflate_crc32(0, type, 4);
    return libdeflate_crc32(crc, data.constData(), size_t(data.size()));
}
