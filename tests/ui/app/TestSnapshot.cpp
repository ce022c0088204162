// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "model/FrameModel.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/app/Snapshot.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QImage tealPicture(const QString &, const QString &look, bool)
{
    return UiTestSupport::solidPicture(look, QColor(20, 130, 140));
}

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void exportsEveryLookViewAndAppearance();
    void picturesShowTheLargeCardOnGrey();
    void withoutManifestExportsNothing();

private:
    QString screensDir() const { return m_dir->filePath(QStringLiteral("screens")); }
    QString outputDir() const { return m_dir->filePath(QStringLiteral("out/nested")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSnapshot::init()
{
    TestSupport::clearDefaults();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", screensDir().toUtf8());
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
}

void TestSnapshot::exportsEveryLookViewAndAppearance()
{
    UiTestSupport::writeScreens(screensDir(), {"page0", "page1"}, tealPicture);
    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    Snapshot::run(model, outputDir());

    QStringList expected;
    for (const QString look : {"colour", "mono", "panel"}) {
        for (const QString view : {"page0", "page1"}) {
            for (const QString appearance : {"dark", "light"})
                expected.append(look + '-' + view + '-' + appearance + ".png");
        }
    }
    QCOMPARE(QDir(outputDir()).entryList(QDir::Files, QDir::Name), expected);

    // The export went through the ordinary setters, which store what they set.
    QCOMPARE(Defaults::stringValue(QStringLiteral("size")), QStringLiteral("large"));
    QCOMPARE(Defaults::stringValue(QStringLiteral("look")), QStringLiteral("panel"));
    QCOMPARE(Defaults::stringValue(QStringLiteral("page")), QStringLiteral("page1"));
}

void TestSnapshot::picturesShowTheLargeCardOnGrey()
{
    UiTestSupport::writeScreens(screensDir(), {"page0"}, tealPicture);
    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    Snapshot::run(model, outputDir());

    for (const bool dark : {false, true}) {
        const QImage picture(QDir(outputDir()).filePath(dark ? "mono-page0-dark.png" : "mono-page0-light.png"));
        // The large card (900 wide, an inset of 36) with its 16-point margin, at twice the scale.
        QCOMPARE(picture.size(), QSize(2008, 844));
        // Every edge is the opaque grey, and the page is in the middle.
        const int grey = dark ? 46 : 219;
        for (const QPoint corner : {QPoint(0, 0), QPoint(2007, 0), QPoint(0, 843), QPoint(2007, 843)})
            QCOMPARE(picture.pixelColor(corner), QColor(grey, grey, grey));
        QCOMPARE(picture.pixelColor(1004, 422), QColor(20, 130, 140));
    }
}

void TestSnapshot::withoutManifestExportsNothing()
{
    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    Snapshot::run(model, outputDir());
    QVERIFY(QDir(outputDir()).exists());
    QVERIFY(QDir(outputDir()).isEmpty());
}

TESSARINE_UI_TEST_MAIN(TestSnapshot)
#include "TestSnapshot.moc"
