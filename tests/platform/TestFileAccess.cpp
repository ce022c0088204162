// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "platform/JsonFile.h"
#include "platform/SmallFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using Outcome = SmallFileReader::Outcome;

// Reading what a user or another program may put at a file's name, and replacing files in one
// step, with real files, links, pipes and devices.
class TestFileAccess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private Q_SLOTS:
    void readerTellsWhatItFound_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("error");

        QTest::newRow("small file") << "small.json" << int(Outcome::read) << QString();
        QTest::newRow("missing") << "missing.json" << int(Outcome::missing) << QString();
        QTest::newRow("inside a missing folder") << "nowhere/x.json" << int(Outcome::missing) << QString();
        QTest::newRow("too large") << "large.json" << int(Outcome::tooLarge) << QString();
        QTest::newRow("folder") << "folder" << int(Outcome::failed) << "it is a folder";
        QTest::newRow("named pipe") << "pipe" << int(Outcome::failed) << "it is not a regular file";
        QTest::newRow("link to a device") << "zero" << int(Outcome::failed) << "it is not a regular file";
        QTest::newRow("link to a file") << "link.json" << int(Outcome::read) << QString();
        QTest::newRow("link to nothing") << "dangling.json" << int(Outcome::missing) << QString();
    }

    void readerTellsWhatItFound()
    {
        QFETCH(QString, name);
        QFETCH(int, outcome);
        QFETCH(QString, error);

        QVERIFY(write(path("small.json"), "{\"a\": 1}"));
        QVERIFY(write(path("large.json"), QByteArray(2000, 'x')));
        QVERIFY(QDir().mkpath(path("folder")));
        QFile::remove(path("pipe"));
        QVERIFY(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600) == 0);
        QFile::link(QStringLiteral("/dev/zero"), path("zero"));
        QFile::link(path("small.json"), path("link.json"));
        QFile::link(path("gone.json"), path("dangling.json"));

        const SmallFileReader::Result result = SmallFileReader::read(path(name), 1000);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.error, error);
        if (result.ok())
            QCOMPARE(result.bytes, QByteArray("{\"a\": 1}"));
        QVERIFY(result.ok() || result.bytes.isEmpty());
    }

    void jsonFileReadsOnlyWhatTheReaderAccepts()
    {
        QVERIFY(write(path("settings.json"), "{\"a\": 1}"));
        QCOMPARE(JsonFile::read(path("settings.json")), std::optional<QJsonValue>(QJsonObject{{"a", 1}}));
        QFile::link(QStringLiteral("/dev/zero"), path("endless.json"));
        QCOMPARE(JsonFile::read(path("endless.json")), std::nullopt);
        QCOMPARE(JsonFile::read(path("settings.json"), 4), std::nullopt);
    }

    // A link at the name is replaced; the file it named stays as it was.
    void atomicWriteReplacesALink()
    {
        QVERIFY(write(path("target.txt"), "target"));
        QVERIFY(QFile::link(path("target.txt"), path("out.json")));
        QCOMPARE(AtomicFile::write(path("out.json"), "new"), QString());
        QVERIFY(!QFileInfo(path("out.json")).isSymLink());
        QFile written(path("out.json"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("new"));
        QFile target(path("target.txt"));
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QByteArray("target"));
        // No temporary file is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".out.json*")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void atomicWriteKeepsAPlainFilesMode()
    {
        QVERIFY(write(path("private.json"), "old"));
        QVERIFY(QFile::setPermissions(path("private.json"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(AtomicFile::write(path("private.json"), "new"), QString());
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(path("private.json")).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
    }

    // What writes killed half-way left beside a file is cleaned up at the first write of it; a
    // temporary file of a write running right now, and files of other names, are left.
    void leftoversOfKilledWritesAreRemoved()
    {
        const QStringList leftovers{".kept.json.1x2y3z", "kept.json.AbC123"};
        const QStringList others{".kept.json.fresh9", "kept.json.bak", ".other.json.1x2y3z", "kept.json.toolong1"};
        const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
        for (const QString &name : leftovers + others) {
            QVERIFY(write(path(name), "partial"));
            QFile file(path(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (name != QStringLiteral(".kept.json.fresh9"))
                QVERIFY(file.setFileTime(anHourAgo, QFileDevice::FileModificationTime));
        }
        QCOMPARE(AtomicFile::write(path("kept.json"), "whole"), QString());
        for (const QString &name : leftovers)
            QVERIFY2(!QFileInfo::exists(path(name)), qPrintable(name));
        for (const QString &name : others)
            QVERIFY2(QFileInfo::exists(path(name)), qPrintable(name));
    }

    void atomicWriteReportsWhyItFailed() { QVERIFY(!AtomicFile::write(path("no/such/folder/x.json"), "x").isEmpty()); }

    void unreadableSettingsAreSetAside()
    {
        const auto acceptsObjects = [](const QJsonValue &json) { return json.isObject(); };
        QVERIFY(write(path("good.json"), "{}"));
        QCOMPARE(JsonFile::setAsideUnreadable(path("good.json"), acceptsObjects), QString());
        QCOMPARE(JsonFile::setAsideUnreadable(path("absent.json"), acceptsObjects), QString());

        QVERIFY(write(path("typo.json"), "{\"pages\": [1,],}"));
        const QString first = JsonFile::setAsideUnreadable(path("typo.json"), acceptsObjects);
        QVERIFY(first.startsWith(path("typo.json.unreadable-")));
        QVERIFY(!QFileInfo::exists(path("typo.json")));
        QFile kept(first);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("{\"pages\": [1,],}"));

        // A second one within the same second gets a name of its own.
        QVERIFY(write(path("typo.json"), "[]"));
        const QString second = JsonFile::setAsideUnreadable(path("typo.json"), acceptsObjects);
        QVERIFY(!second.isEmpty());
        QVERIFY(second != first);
        QVERIFY(QFileInfo::exists(first));
    }
};

QTEST_GUILESS_MAIN(TestFileAccess)
#include "TestFileAccess.moc"
