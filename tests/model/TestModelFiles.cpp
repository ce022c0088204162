// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "kit/ScreenManifest.h"
#include "model/FrameModel.h"
#include "model/ScreenFiles.h"
#include "platform/Defaults.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>

// The files of the screens folder and the settings file as someone else may have left them: a
// symbolic link to another file, a link to nothing, a named pipe, a device.
class TestModelFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    QString screenFile(const QString &name) const { return QDir(screens()).filePath(name); }
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.json")); }

    static QImage picture()
    {
        QImage image(4, 2, QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        return image;
    }

    static ScreenManifest manifest()
    {
        ScreenManifest written;
        written.ok = true;
        written.pageNames = {QStringLiteral("page0")};
        return written;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(screens()));
        qputenv("TESSARINE_SCREENS", screens().toUtf8());
        qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("model/views")).toUtf8());
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessarine"), QStringLiteral("Tessarine"))
            .clear();
    }

    void cleanup() { m_dir.reset(); }

    // A link in the screens folder is replaced by the new file; the file it pointed at is left
    // as it was.
    void linksAreReplacedNotWrittenThrough_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mode"); // the user's figures are the user's alone to read
        QTest::newRow("data") << QStringLiteral("data.json") << 0600;
        QTest::newRow("manifest") << QStringLiteral("manifest.json") << int(mode_t(0644) & ~currentUmask());
        QTest::newRow("picture") << QStringLiteral("page0-mono-light.png") << 0600;
    }

    void linksAreReplacedNotWrittenThrough()
    {
        QFETCH(QString, name);
        QFETCH(int, mode);
        const QString victim = m_dir->filePath(QStringLiteral("precious.txt"));
        QVERIFY(TestSupport::writeFile(victim, "the user's own file"));
        QVERIFY(QFile::link(victim, screenFile(name)));

        const ScreenFiles files(screens());
        if (name == QStringLiteral("data.json"))
            files.writeData("{\"pages\":[]}");
        else if (name == QStringLiteral("manifest.json"))
            QVERIFY(files.writeManifest(manifest()));
        else
            files.writePicture(name, picture());

        QCOMPARE(TestSupport::readFile(victim), QByteArray("the user's own file"));
        QVERIFY(!QFileInfo(screenFile(name)).isSymLink());
        QVERIFY(QFileInfo(screenFile(name)).size() > 0);
        struct stat written;
        QCOMPARE(::stat(QFile::encodeName(screenFile(name)).constData(), &written), 0);
        QCOMPARE(int(written.st_mode & 0777), mode);
    }

    void danglingLinkDoesNotFailTheWrite()
    {
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("gone/nowhere.json")), screenFile("data.json")));
        ScreenFiles(screens()).writeData("{}");
        QCOMPARE(TestSupport::readFile(screenFile("data.json")), QByteArray("{}"));
    }

    // Named pipes would wait for a writer for ever; the program starts as if the files were
    // not there.
    void namedPipesDoNotStallTheStart()
    {
        for (const QString &path : {settingsPath(), screenFile("manifest.json"), screenFile("data.json")})
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const FrameModel model(TestSupport::configuration());
        QVERIFY(!model.manifest());
        QVERIFY(!ScreenFiles(screens()).readData());
        QCOMPARE(model.providers(), QStringList({"claude", "codex"}));
    }

    void displayOptionsFileThatIsNoFileIsLeftAlone()
    {
        // A named pipe in place of the display options: the start goes on with the defaults, an
        // option chosen holds for the run, and the pipe is neither read nor replaced.
        const QString options = Paths::defaultsFile();
        QVERIFY(QDir().mkpath(QFileInfo(options).path()));
        QVERIFY(::mkfifo(QFile::encodeName(options).constData(), 0600) == 0);
        const FrameModel model(TestSupport::configuration());
        QVERIFY(!Defaults::boolValue(QStringLiteral("logosHidden")));
        Defaults::setValue(QStringLiteral("logosHidden"), true);
        QVERIFY(Defaults::boolValue(QStringLiteral("logosHidden")));
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(options).constData(), &status), 0);
        QVERIFY(S_ISFIFO(status.st_mode));
        QFile::remove(options);
    }

    void pictureThatIsADeviceIsNotRead()
    {
        TestSupport::writeFile(screenFile("manifest.json"),
                               R"({"ok": true, "updatedAt": null, "login": null, "views": ["page0"], "titles": null,
                                   "error": null})");
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), screenFile("page0-mono-light.png")));
        QVERIFY(picture().save(screenFile("page0-mono-dark.png")));
        const FrameModel model(TestSupport::configuration());
        QVERIFY(model.manifest());
        QCOMPARE(model.images().keys(), QStringList{QStringLiteral("page0-mono-dark.png")});
    }

private:
    static mode_t currentUmask()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }
};

QTEST_GUILESS_MAIN(TestModelFiles)
#include "TestModelFiles.moc"
