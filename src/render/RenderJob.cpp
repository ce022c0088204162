// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderJob.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A reply's first byte says what follows: the PNG file; the page's text (its UTF-8 length as a
// 32-bit big-endian number, then the text) and the PNG file; or the UTF-8 text of an error. The
// notice that a job was taken is its tag alone.
constexpr char pictureTag = 'P';
constexpr char pictureWithTextTag = 'T';
constexpr char failureTag = 'E';
constexpr char takenTag = 'S';
constexpr qsizetype lengthSize = 4;

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(lengthSize, '\0');
    for (qsizetype i = lengthSize - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

quint32 fromBigEndian(const QByteArray &bytes)
{
    quint32 value = 0;
    for (const char byte : bytes)
        value = (value << 8) | quint8(byte);
    return value;
}

} // namespace

QByteArray RenderJob::toBytes() const
{
    QJsonObject json{{QStringLiteral("data"), dataJson},
                     {QStringLiteral("page"), page},
                     {QStringLiteral("mode"), mode},
                     {QStringLiteral("scale"), scale}};
    json.insert(QStringLiteral("theme"), themeJson ? QJsonValue(*themeJson) : QJsonValue(QJsonValue::Null));
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

std::optional<RenderJob> RenderJob::fromBytes(const QByteArray &bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject json = document.object();
    const QJsonValue data = json.value(QStringLiteral("data"));
    const QJsonValue page = json.value(QStringLiteral("page"));
    const QJsonValue mode = json.value(QStringLiteral("mode"));
    const QJsonValue theme = json.value(QStringLiteral("theme"));
    const QJsonValue scale = json.value(QStringLiteral("scale"));
    if (!data.isString() || !page.isDouble() || !mode.isString() || !scale.isDouble() ||
        !(theme.isString() || theme.isNull()))
        return std::nullopt;
    RenderJob job;
    job.dataJson = data.toString();
    job.page = page.toInt();
    job.mode = mode.toString();
    job.scale = scale.toInt();
    if (theme.isString())
        job.themeJson = theme.toString();
    return job;
}

RenderReply RenderReply::picture(QByteArray png, QString text)
{
    return RenderReply{std::move(png), {}, std::move(text)};
}

RenderReply RenderReply::failure(QString error)
{
    return RenderReply{std::nullopt, std::move(error), {}};
}

QByteArray RenderReply::takenNotice()
{
    return QByteArray(1, takenTag);
}

QByteArray RenderReply::toBytes() const
{
    if (png && !text.isEmpty()) {
        const QByteArray words = text.toUtf8();
        return pictureWithTextTag + bigEndian(quint32(words.size())) + words + *png;
    }
    if (png)
        return pictureTag + *png;
    return failureTag + error.toUtf8();
}

std::optional<RenderReply> RenderReply::fromBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    if (bytes.front() == pictureTag)
        return picture(bytes.mid(1));
    if (bytes.front() == pictureWithTextTag) {
        if (bytes.size() < 1 + lengthSize)
            return std::nullopt;
        const quint32 length = fromBigEndian(bytes.mid(1, lengthSize));
        if (length > quint32(bytes.size() - 1 - lengthSize))
            return std::nullopt;
        const qsizetype start = 1 + lengthSize;
        return picture(bytes.mid(start + qsizetype(length)), QString::fromUtf8(bytes.mid(start, qsizetype(length))));
    }
    if (bytes.front() == failureTag)
        return failure(QString::fromUtf8(bytes.mid(1)));
    return std::nullopt;
}
