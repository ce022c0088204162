#include "PngEncoder.h"

#include <QtEndian>
#include <array>
#include <cstring>

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

    // qCompress gives a zlib stream behind a four-byte length; PNG wants the zlib stream.
    const QByteArray compressed = qCompress(rows(pixels), compressionLevel);
    if (compressed.size() <= 4)
        return {};

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed.mid(4));
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

QByteArray PngEncoder::rows(const QImage &image)
{
    const qsizetype rowBytes = image.width() * (image.depth() / 8);
    QByteArray raw(image.height() * (rowBytes + 1), Qt::Uninitialized);
    char *out = raw.data();
    for (int y = 0; y < image.height(); ++y) {
        *out++ = 0; // filter type None
        std::memcpy(out, image.constScanLine(y), rowBytes);
        out += rowBytes;
    }
    return raw;
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
