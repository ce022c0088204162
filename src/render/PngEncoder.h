// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

// A small PNG writer tuned for page pictures. Qt's PNG writer lets libpng try every row filter
// and costs about 120 ms for a 4080 × 1440 page even at the fastest compression level; flat
// interface pictures compress well without filtering, so this writes unfiltered rows and
// compresses them with libdeflate's fastest level, which takes about two thirds of the processor
// time of zlib's fastest level for files a third smaller. The rows are laid out for PNG straight
// from the picture's pixels (no converted copy of the whole picture first), large pictures in
// bands on several threads. Opaque pictures are written without an alpha channel and grey ones
// as grey.
class PngEncoder
{
public:
    static constexpr int compressionLevel = 1;
    // Rows are laid out in bands of about this many bytes, at most maxParts of them at once.
    static constexpr qsizetype bytesPerPart = 1 << 20;
    static constexpr qsizetype maxParts = 4;

    // Taken by value: when the caller hands over the only reference, the pixels are let go once
    // laid out in rows, before the longer compression, so a picture is not held twice.
    static QByteArray encode(QImage image);

private:
    enum ColourType : quint8
    {
        Grey = 0,
        Rgb = 2,
        Rgba = 6
    };

    static QImage sourceFor(const QImage &image, ColourType &type);
    static QByteArray filteredRows(const QImage &image, ColourType type);
    static void layOutRows(const QImage &image, ColourType type, int first, int last, char *out);
    static QByteArray zlibStream(const QByteArray &rows);
    static void appendChunk(QByteArray &png, const char *type, const QByteArray &data);
    static quint32 crc32(const char *type, const QByteArray &data);
};
