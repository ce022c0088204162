// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderJob.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A reply's first byte says what follows: the PNG file, or the UTF-8 text of an error.
constexpr char pictureTag = 'P';
constexpr char failureTag = 'E';

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

RenderReply RenderReply::picture(QByteArray png)
{
    return RenderReply{std::move(png), {}};
}

RenderReply RenderReply::failure(QString error)
{
    return RenderReply{std::nullopt, std::move(error)};
}

QByteArray RenderReply::toBytes() const
{
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
    if (bytes.front() == failureTag)
        return failure(QString::fromUtf8(bytes.mid(1)));
    return std::nullopt;
}
