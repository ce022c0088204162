// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderCommand.h"

#include "PageRenderer.h"
#include "PictureFile.h"
#include "ThemeFile.h"
#include "kit/Problem.h"
#include "kit/Provider.h"
#include "kit/ScreenLook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

namespace {

void complain(const QString &message)
{
    QTextStream(stderr) << "tessarine render: " << message << Qt::endl;
}

// The web engine and Qt report their own start-up details on the terminal; the command's
// output is only its own.
void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

int pageCount(const QString &dataJson)
{
    const QJsonDocument document = QJsonDocument::fromJson(dataJson.toUtf8());
    return document.isObject() ? int(document.object().value(QStringLiteral("pages")).toArray().size()) : -1;
}

// "mono|colour|panel", or with `last` before the last: "mono, colour or panel".
QString lookNames(const QString &between, const QString &last)
{
    QStringList names;
    for (const ScreenLook look : ScreenLook::all())
        names.append(look.name());
    const QString lastName = names.takeLast();
    return names.isEmpty() ? lastName : names.join(between) + last + lastName;
}

// parse() admits only the looks' names, so the fallback is never taken for parsed options.
ScreenLook lookOf(const RenderCommand::Options &options)
{
    return ScreenLook::fromName(options.look).value_or(ScreenLook::Mono);
}

} // namespace

QString RenderCommand::usage()
{
    return QStringLiteral("usage: tessarine render --data FILE --page N|all --look ") +
           lookNames(QStringLiteral("|"), QStringLiteral("|")) +
           QStringLiteral(" [--dark] [--scale 1..5] [--text] --out FILE.png|DIRECTORY");
}

std::optional<RenderCommand::Options> RenderCommand::parse(const QStringList &arguments, QString *error)
{
    Options options;
    bool pageGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QStringLiteral("--dark")) {
            options.dark = true;
            continue;
        }
        if (argument == QStringLiteral("--text")) {
            options.text = true;
            continue;
        }
        const bool takesValue = argument == QStringLiteral("--data") || argument == QStringLiteral("--page") ||
                                argument == QStringLiteral("--look") || argument == QStringLiteral("--out") ||
                                argument == QStringLiteral("--scale");
        if (!takesValue) {
            *error = QStringLiteral("unknown argument %1").arg(argument);
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            *error = QStringLiteral("%1 needs a value").arg(argument);
            return std::nullopt;
        }
        const QString &value = arguments.at(++i);
        if (argument == QStringLiteral("--data")) {
            options.dataFile = value;
        } else if (argument == QStringLiteral("--out")) {
            options.out = value;
        } else if (argument == QStringLiteral("--look")) {
            options.look = value;
        } else if (argument == QStringLiteral("--scale")) {
            bool ok = false;
            options.scale = value.toInt(&ok);
            if (!ok || options.scale < 1 || options.scale > 5) {
                *error = QStringLiteral("--scale takes a whole number from 1 to 5");
                return std::nullopt;
            }
        } else {
            pageGiven = true;
            bool ok = false;
            const int page = value.toInt(&ok);
            if (value != QStringLiteral("all") && (!ok || page < 0)) {
                *error = QStringLiteral("--page takes a page number from 0, or all");
                return std::nullopt;
            }
            if (value != QStringLiteral("all"))
                options.page = page;
        }
    }
    if (options.dataFile.isEmpty() || (options.out.isEmpty() && !options.text) || !pageGiven ||
        options.look.isEmpty()) {
        *error = QStringLiteral("--data, --page, --look and --out (or --text) are all needed");
        return std::nullopt;
    }
    if (!ScreenLook::fromName(options.look)) {
        *error = QStringLiteral("--look is ") + lookNames(QStringLiteral(", "), QStringLiteral(" or "));
        return std::nullopt;
    }
    return options;
}

QString RenderCommand::fileName(int page, const QString &look, bool dark)
{
    const ScreenLook screenLook = ScreenLook::fromName(look).value_or(ScreenLook::Mono);
    return screenLook.fileName(QStringLiteral("page") + QString::number(page), dark);
}

void RenderCommand::prepareProcess()
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    PageRenderer::keepPageRendererInProcess();
    qInstallMessageHandler(quietMessages);
}

int RenderCommand::run(const QStringList &arguments, const QString &viewsDir)
{
    QCoreApplication *app = QCoreApplication::instance();
    QString error;
    std::optional<Options> options = parse(arguments, &error);
    if (!options) {
        complain(error);
        QTextStream(stderr) << usage() << Qt::endl;
        return 2;
    }
    options->viewsDir = viewsDir;
    int status = 1;
    QTimer::singleShot(0, app, [&] {
        QCoro::connect(execute(*options), app, [&](int result) {
            status = result;
            QCoreApplication::quit();
        });
    });
    QCoreApplication::exec();
    return status;
}

QCoro::Task<int> RenderCommand::execute(Options options)
{
    QFile file(options.dataFile);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(options.dataFile, file.errorString()));
        co_return 1;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    // A document written before it carried the providers table is drawn as one written now.
    const QString dataJson =
        document.isObject()
            ? QString::fromUtf8(QJsonDocument(Provider::withTable(document.object())).toJson(QJsonDocument::Compact))
            : QString();
    const int pages = pageCount(dataJson);
    if (pages < 0) {
        complain(QStringLiteral("%1 is not a data document (a JSON object)").arg(options.dataFile));
        co_return 1;
    }
    if (options.page && *options.page >= pages) {
        complain(QStringLiteral("the document has %1 pages; page %2 is not one of them").arg(pages).arg(*options.page));
        co_return 1;
    }
    if (!options.page && !options.out.isEmpty() && !QDir().mkpath(options.out)) {
        complain(QStringLiteral("cannot create the directory %1").arg(options.out));
        co_return 1;
    }

    const bool panel = lookOf(options).drawing() == ScreenLook::Drawing::OneBitPanel;
    const std::optional<QString> theme =
        panel ? std::nullopt : ThemeFile::themeJson(ThemeFile::read(options.viewsDir), options.look, options.dark);
    PageRenderer renderer(options.viewsDir);
    // Script errors of the page view are worth knowing when looking at pages by hand.
    QObject::connect(&renderer, &PageRenderer::consoleMessage, &renderer,
                     [](QWebEnginePage::JavaScriptConsoleMessageLevel level, const QString &message, int line,
                        const QString &source) {
                         if (level == QWebEnginePage::ErrorMessageLevel)
                             complain(QStringLiteral("%1:%2: %3").arg(QUrl(source).fileName()).arg(line).arg(message));
                     });
    const int first = options.page.value_or(0);
    const int last = options.page.value_or(pages - 1);
    for (int page = first; page <= last; ++page) {
        const QString path = options.page || options.out.isEmpty()
                                 ? options.out
                                 : QDir(options.out).filePath(fileName(page, options.look, options.dark));
        if (!co_await renderPage(renderer, dataJson, page, options, theme, path))
            co_return 1;
    }
    co_return 0;
}

QCoro::Task<bool> RenderCommand::renderPage(PageRenderer &renderer, QString dataJson, int page, Options options,
                                            std::optional<QString> theme, QString path)
{
    const bool panel = lookOf(options).drawing() == ScreenLook::Drawing::OneBitPanel;
    try {
        const RenderedPage rendered = co_await renderer.renderWithText(
            dataJson, page, panel ? QStringLiteral("panel") : QStringLiteral("preview"), theme,
            panel ? 1 : options.scale);
        QString error;
        if (!path.isEmpty() && !PictureFile::write(rendered.picture, path, &error)) {
            complain(QStringLiteral("cannot write %1: %2").arg(path, error));
            co_return false;
        }
        if (options.text)
            printText(rendered.text, page == options.page.value_or(0));
    } catch (const Problem &problem) {
        complain(problem.message());
        co_return false;
    }
    co_return true;
}

void RenderCommand::printText(const QString &text, bool first)
{
    QTextStream out(stdout);
    if (!first)
        out << '\f' << Qt::endl;
    out << text << Qt::endl;
}
