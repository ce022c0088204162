// SPDX-License-Identifier: GPL-3.0-or-later
// The program itself on an X server: after its first refresh the only window it has mapped is
// the card (no web view of the page renderer anywhere on the desktop), and it has said nothing on
// standard error.

#include "TestSupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

struct Window
{
    QString id;
    QSize size;
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The top-level windows the X server shows: the root's children whose map state is viewable.
// There is no window manager here, so every top-level window is a direct child of the root.
QList<Window> viewableTopLevelWindows()
{
    QList<Window> viewable;
    static const QRegularExpression child(QStringLiteral(R"(^\s+(0x[0-9a-f]+) )"));
    const QStringList lines = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")})
                                  .split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = child.match(line);
        if (!match.hasMatch())
            continue;
        const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), match.captured(1)});
        if (!info.contains(QStringLiteral("Map State: IsViewable")))
            continue;
        const int width = QRegularExpression(QStringLiteral(R"(Width: (\d+))")).match(info).captured(1).toInt();
        const int height = QRegularExpression(QStringLiteral(R"(Height: (\d+))")).match(info).captured(1).toInt();
        viewable.append(Window{match.captured(1), QSize(width, height)});
    }
    return viewable;
}

QJsonObject readObject(const QString &path)
{
    return QJsonDocument::fromJson(TestSupport::readFile(path)).object();
}

} // namespace

class TestMappedWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onlyTheCardIsMapped();
};

void TestMappedWindows::onlyTheCardIsMapped()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
        QFAIL("xwininfo (x11-utils) is needed to list the X server's windows");
    QVERIFY(!qEnvironmentVariableIsEmpty("DISPLAY"));

    // A desktop user's second start: pages that need no account, the welcome done.
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString screens = data + QStringLiteral("/Tessarine/screens");
    TestSupport::writeFile(data + QStringLiteral("/Tessarine/settings.json"),
                           R"({"logos": true, "providers": [], "pages": [
                               {"layout": "halves", "slots": ["today.date", "countdown"]},
                               {"layout": "full", "slots": ["calendar.next"]}]})");
    TestSupport::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tessarine/Tessarine.ini"),
                           "[General]\nonboarded=true\n");

    QProcess card;
    card.start(QStringLiteral(TESSARINE_BINARY), {});
    QVERIFY(card.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readObject(screens + QStringLiteral("/manifest.json")).value("ok").toBool(), 90000);
    QVERIFY(QFile::exists(screens + QStringLiteral("/page1-mono-dark.png")));
    // Any window of the drawing was made before the manifest was written; the card may be mapped
    // just after it.
    QList<Window> windows;
    QTRY_VERIFY_WITH_TIMEOUT(!(windows = viewableTopLevelWindows()).isEmpty(), 20000);
    QStringList described;
    for (const Window &window : windows)
        described.append(QStringLiteral("%1 %2x%3").arg(window.id).arg(window.size.width()).arg(window.size.height()));
    QVERIFY2(windows.size() == 1, qPrintable(described.join(QStringLiteral(", "))));
    // The card: a page of at most the Large width with its border, nothing the size of a picture.
    QVERIFY2(windows.first().size.width() < 1000 && windows.first().size.height() < 400,
             qPrintable(described.join(QStringLiteral(", "))));

    card.terminate();
    QVERIFY(card.waitForFinished(20000));
    QCOMPARE(QString::fromLocal8Bit(card.readAllStandardError()), QString());
}

QTEST_GUILESS_MAIN(TestMappedWindows)
#include "TestMappedWindows.moc"
