// SPDX-License-Identifier: GPL-3.0-or-later
// The program itself on an X server: after its first refresh the only window it has mapped is
// the card (no web view of the page renderer anywhere on the desktop), the card never takes the
// keyboard, and the program has said nothing on standard error; also where Wayland was asked for
// and Qt's Wayland plugin is missing.

#include "TestSupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
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

bool waylandPluginInstalled()
{
    return !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"))
                .entryList({QStringLiteral("libqwayland*.so")}, QDir::Files)
                .isEmpty();
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
    void onlyTheCardIsMapped_data();
    void onlyTheCardIsMapped();
};

void TestMappedWindows::onlyTheCardIsMapped_data()
{
    QTest::addColumn<QByteArray>("platform"); // QT_QPA_PLATFORM, empty: unset

    QTest::newRow("X11") << QByteArray();
    QTest::newRow("Wayland asked, its plugin missing") << QByteArray("wayland");
}

void TestMappedWindows::onlyTheCardIsMapped()
{
    QFETCH(QByteArray, platform);
    if (!platform.isEmpty() && waylandPluginInstalled())
        QSKIP("Qt's Wayland plugin is installed here");
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
    // The notice of the platform's fallback was given at an earlier start.
    TestSupport::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tessarine/Tessarine.ini"),
                           "[General]\nonboarded=true\nplatformNotice=pluginMissing\n");
    QFile::remove(screens + QStringLiteral("/manifest.json"));

    QProcess card;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-tessarine-none"));
    }
    card.setProcessEnvironment(environment);
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
    // A click never gives it the keyboard: it neither accepts the input focus nor offers to take it.
    const QString hints = run(QStringLiteral("xprop"), {QStringLiteral("-id"), windows.first().id,
                                                        QStringLiteral("WM_HINTS"), QStringLiteral("WM_PROTOCOLS")});
    QVERIFY2(hints.contains(QStringLiteral("Client accepts input or input focus: False")), qPrintable(hints));
    QVERIFY2(hints.contains(QStringLiteral("WM_DELETE_WINDOW")) && !hints.contains(QStringLiteral("WM_TAKE_FOCUS")),
             qPrintable(hints));

    card.terminate();
    QVERIFY(card.waitForFinished(20000));
    QCOMPARE(QString::fromLocal8Bit(card.readAllStandardError()), QString());
}

QTEST_GUILESS_MAIN(TestMappedWindows)
#include "TestMappedWindows.moc"
