// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

// A small PNG writer tuned for page pictures. Qt's PNG writer lets libpng try every row filter
// and costs about 120 ms for a 4080 × 1440 page even at the fastest compression level; flat
// interface pictures compress well without filtering, so this writes unfiltered rows with
// zlib's level 1, which takes a third of the time for files about twice the size of the
// smallest. Large pictures are compressed in up to four bands at once, each an independent run
// of deflate blocks, joined into the one zlib stream PNG wants. Opaque pictures are written
// without an alpha channel and grey ones as grey.
class PngEncoder
{
public:
    static constexpr int compressionLevel = 1;
    // Pictures are split into bands of about this many bytes of rows, at most maxParts of them.
    static constexpr qsizetype bytesPerPart = 1 << 20;
    static constexpr qsizetype maxParts = 4;

    static QByteArray encode(const QImage &image);

private:
    enum ColourType : quint8
    {
        Grey = 0,
        Rgb = 2,
        Rgba = 6
    };

    struct Part
    {
        QByteArray deflated;
        unsigned long adler = 0;
        qsizetype length = 0;
        bool ok = false;
    };

    static QImage normalised(const QImage &image, ColourType &type);
    static QByteArray zlibStream(const QImage &image);
    static Part compressRows(const QImage &image, int first, int last, bool final);
    static void appendChunk(QByteArray &png, const char *type, const QByteArray &data);
    static quint32 crc32(const char *type, const QByteArray &data);
};
