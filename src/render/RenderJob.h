// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// One picture the renderer process is asked for: the arguments of PageRenderer::render, and
// their form on the pipe between the card and the renderer process (compact JSON).
struct RenderJob
{
    QString dataJson;
    int page = 0;
    QString mode;
    std::optional<QString> themeJson;
    int scale = 1;

    QByteArray toBytes() const;
    // None when the bytes are not a job: not JSON, a field missing or of the wrong type.
    static std::optional<RenderJob> fromBytes(const QByteArray &bytes);

    friend bool operator==(const RenderJob &, const RenderJob &) = default;
};

// The renderer process's answer to one job: the PNG file of the picture with the page's text,
// or the reason there is none (the text the user reads).
struct RenderReply
{
    std::optional<QByteArray> png;
    QString error;
    QString text;

    static RenderReply picture(QByteArray png, QString text = {});
    static RenderReply failure(QString error);
    // Not a reply: what the renderer sends when it takes a job from its input to draw it, ahead
    // of that job's reply (and maybe of replies to jobs before it).
    static QByteArray takenNotice();

    QByteArray toBytes() const;
    // None when the bytes are not a reply.
    static std::optional<RenderReply> fromBytes(const QByteArray &bytes);
};
