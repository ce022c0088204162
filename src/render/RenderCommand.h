// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>
#include <optional>

class PageRenderer;

// `tessarine render`: draws pages of a data document without the desktop, for looking at
// pages, the gallery and the benchmark.
//
//   tessarine render --data FILE --page N --look mono|colour|panel [--dark] [--scale S] --out FILE.png
//   tessarine render --data FILE --page all --look … [--dark] [--scale S] --out DIRECTORY
//   tessarine render --data FILE --page N|all --look … --text [--out …]
//
// With --text the text of each page drawn (the words a screen reader reads for it) is printed
// on standard output, pages apart by a form feed; --out is then optional.
// With --page all every page is written into the directory under the names the card uses
// (page0-mono-light.png, page0.png for the panel, …). Pictures are drawn at scale 3, as the
// card's are, unless --scale says otherwise; the panel picture is always 1360 × 480.
class RenderCommand
{
public:
    // Before the application object exists: the offscreen platform, and no start-up chatter of
    // Qt and the web engine on the terminal. The program's entry point creates the application.
    static void prepareProcess();
    // Runs the command on the application's event loop with the arguments after "render",
    // drawing with the page view in `viewsDir`; returns the exit status.
    static int run(const QStringList &arguments, const QString &viewsDir);

    struct Options
    {
        QString dataFile;
        std::optional<int> page; // none: every page
        QString look;
        bool dark = false;
        int scale = 3;
        QString out;
        bool text = false;
        QString viewsDir; // not an argument: the configuration's
    };

    // The options of the arguments after "render", or none with the reason in `error`.
    static std::optional<Options> parse(const QStringList &arguments, QString *error);

    // The file name the card uses for a page picture in a look and appearance (ScreenLook's rule).
    static QString fileName(int page, const QString &look, bool dark);

    static QString usage();

private:
    static QCoro::Task<int> execute(Options options);
    static QCoro::Task<bool> renderPage(PageRenderer &renderer, QString dataJson, int page, Options options,
                                        std::optional<QString> theme, QString path);
    static void printText(const QString &text, bool first);
};
