// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// `tessarine render-helper [--views DIR] [--idle-ms N]`: the renderer process the card starts to
// draw its pages (not for people; left out of --help). It reads render jobs on standard input and
// writes the pictures on standard output, draws on the offscreen platform, writes nothing else
// anywhere, and ends when its input closes or after a minute without work.
class RendererProcess
{
public:
    static bool requested(int argc, char **argv);

    // The whole process, in place of the normal launch; call it before any QApplication exists.
    // Without --views it draws with the page view in `viewsDir`.
    static int main(int argc, char **argv, const QString &viewsDir);

    struct Options
    {
        QString viewsDir;
        std::chrono::milliseconds idleTime{60'000};
    };
    // The options of the arguments after the subcommand; none when one is not understood.
    static std::optional<Options> parse(const QStringList &arguments);
};
