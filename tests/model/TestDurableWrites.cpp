// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "kit/Problem.h"
#include "model/ScreenFiles.h"
#include "platform/AtomicFile.h"
#include "platform/Autostart.h"
#include "platform/JsonFile.h"
#include "render/PictureFile.h"
#include "services/PlanAlertLedger.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using TestSupport::readFile;
using TestSupport::writeFile;

// Every writer of a file Tessarine keeps goes through one durable writer: when the disk fills up
// at the flush, the old file keeps its bytes, no temporary file is left, and the caller says so.
class TestDurableWrites : public QObject
{
    Q_OBJECT

public:
    enum class Writer
    {
        Direct,
        Settings,
        DataDocument,
        Picture,
        PlanAlerts,
        Autostart
    };
    Q_ENUM(Writer)

private:
    QTemporaryDir m_dir;

    // Writes through `writer`; the message the caller gives, or "failed" for a caller that only
    // tells failure from success.
    QString writeThrough(Writer writer, const QString &path)
    {
        switch (writer) {
        case Writer::Direct:
            return AtomicFile::write(path, "new");
        case Writer::Settings:
            return JsonFile::writePretty(path, QJsonDocument(QJsonObject{{QStringLiteral("a"), 2}}))
                       ? QString()
                       : QStringLiteral("failed");
        case Writer::DataDocument:
            try {
                ScreenFiles(QFileInfo(path).path()).writeData("{\"new\": true}");
                return {};
            } catch (const Problem &error) {
                return error.message();
            }
        case Writer::Picture: {
            QImage picture(4, 4, QImage::Format_ARGB32);
            picture.fill(Qt::red);
            QString error;
            return PictureFile::write(picture, path, &error) ? QString() : error;
        }
        case Writer::PlanAlerts: {
            PlanAlertLedger ledger(path);
            return ledger.record({QStringLiteral("claude"), QStringLiteral("5-hour"), 81, std::nullopt}, 80,
                                 QDateTime::currentDateTimeUtc())
                       ? QString()
                       : QStringLiteral("failed");
        }
        case Writer::Autostart:
            return Autostart::setEnabled(true, QStringLiteral("/usr/bin/tessarine")) ? QString()
                                                                                     : QStringLiteral("failed");
        }
        return {};
    }

private Q_SLOTS:
    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("saysDiskFull");
        QTest::newRow("the writer itself") << Writer::Direct << "x.json" << true;
        QTest::newRow("Tessarine's settings") << Writer::Settings << "settings.json" << false;
        QTest::newRow("the data document") << Writer::DataDocument << "data.json" << true;
        QTest::newRow("a page picture") << Writer::Picture << "page0.png" << true;
        QTest::newRow("the plan alerts record") << Writer::PlanAlerts << "plan-alerts.json" << false;
        QTest::newRow("the autostart entry") << Writer::Autostart << "autostart/tessarine.desktop" << false;
    }

    void fullDiskKeepsTheOldFile()
    {
        QFETCH(Writer, writer);
        QFETCH(QString, name);
        QFETCH(bool, saysDiskFull);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        const QString path = m_dir.filePath(name);
        const QByteArray old = "{\"old\": true}\n";
        QVERIFY(writeFile(path, old));

        AtomicFile::setFlushFailureForTesting(ENOSPC);
        const QString problem = writeThrough(writer, path);
        AtomicFile::setFlushFailureForTesting(0);

        QVERIFY(!problem.isEmpty());
        if (saysDiskFull)
            QVERIFY2(problem.startsWith(QStringLiteral("Not enough disk space to save")), qPrintable(problem));
        QCOMPARE(readFile(path), old);
        const QString file = QFileInfo(path).fileName();
        QCOMPARE(QFileInfo(path).dir().entryList({QLatin1Char('.') + file + QStringLiteral(".*")},
                                                 QDir::Files | QDir::Hidden),
                 QStringList());
        // With room on the disk again the same write goes through.
        QCOMPARE(writeThrough(writer, path), QString());
        QVERIFY(readFile(path) != old);
    }
};

QTEST_GUILESS_MAIN(TestDurableWrites)
#include "TestDurableWrites.moc"
