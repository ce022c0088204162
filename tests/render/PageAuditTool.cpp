// SPDX-License-Identifier: GPL-3.0-or-later
// page-audit --data FILE --look mono|colour|panel [--dark] [--views DIR]
//
// Audits every page of a data document in one look and prints one line a finding,
// "page <n>: <finding>"; exits 1 when there is any. The gallery lists these beside its pictures.
#include "PageAudit.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoro/QCoroTask>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>

namespace {

// The web engine describes its set-up on the terminal; only the findings belong there.
void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

std::optional<QString> themeFor(const QString &viewsDir, const QString &look, bool dark)
{
    if (look == QStringLiteral("panel"))
        return std::nullopt;
    QFile file(viewsDir + QStringLiteral("/themes.json"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonValue theme = QJsonDocument::fromJson(file.readAll())
                                 .object()
                                 .value(look + (dark ? QStringLiteral("-dark") : QStringLiteral("-light")));
    if (!theme.isObject())
        return std::nullopt;
    return QString::fromUtf8(QJsonDocument(theme.toObject()).toJson(QJsonDocument::Compact));
}

QCoro::Task<int> auditAll(QString viewsDir, QString dataJson, int pages, QString look, bool dark)
{
    PageAudit audit(viewsDir);
    const QString mode = look == QStringLiteral("panel") ? QStringLiteral("panel") : QStringLiteral("preview");
    const std::optional<QString> theme = themeFor(viewsDir, look, dark);
    int found = 0;
    QTextStream out(stdout);
    for (int page = 0; page < pages; ++page) {
        const QStringList findings = co_await audit.audit(dataJson, page, mode, theme);
        // One line a finding, so every line names its page (a script error carries its stack).
        for (const QString &finding : findings)
            out << "page " << page << ": " << finding.simplified() << Qt::endl;
        found += int(findings.size());
    }
    co_return found > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    PageAudit::prepareEnvironment();
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("data"), QStringLiteral("The data document."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("look"), QStringLiteral("mono, colour or panel."), QStringLiteral("look")});
    parser.addOption({QStringLiteral("dark"), QStringLiteral("The dark appearance.")});
    parser.addOption({QStringLiteral("views"), QStringLiteral("The views directory."), QStringLiteral("dir"),
                      QStringLiteral(TESSARINE_VIEWS_DIR)});
    parser.process(app);
    QFile file(parser.value(QStringLiteral("data")));
    const QString look = parser.value(QStringLiteral("look"));
    if (!file.open(QIODevice::ReadOnly) ||
        !QStringList{QStringLiteral("mono"), QStringLiteral("colour"), QStringLiteral("panel")}.contains(look)) {
        QTextStream(stderr) << parser.helpText();
        return 2;
    }
    const QByteArray data = file.readAll();
    const int pages = int(QJsonDocument::fromJson(data).object().value(QStringLiteral("pages")).toArray().size());
    int status = 2;
    QTimer::singleShot(0, &app, [&] {
        QCoro::connect(auditAll(parser.value(QStringLiteral("views")), QString::fromUtf8(data), pages, look,
                                parser.isSet(QStringLiteral("dark"))),
                       &app, [&](int result) {
                           status = result;
                           app.quit();
                       });
    });
    app.exec();
    return status;
}
