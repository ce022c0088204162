#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/Defaults.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

using StoredValues = QMap<QString, QString>;

QSettings defaultsStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessarine"),
                     QStringLiteral("Tessarine"));
}

} // namespace

class TestFrameModelDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void readsStoredOptions_data();
    void readsStoredOptions();
    void settersNotifyOnlyOnChangeButAlwaysStore();
    void hooksNotifyOnEveryWrite();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameModelDisplay::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("model/views")).toUtf8());
    defaultsStore().clear();
}

void TestFrameModelDisplay::readsStoredOptions_data()
{
    QTest::addColumn<StoredValues>("stored");
    QTest::addColumn<QString>("view");
    QTest::addColumn<ScreenLook>("look");
    QTest::addColumn<FrameSize>("size");
    QTest::addColumn<bool>("keepOnTop");
    QTest::addColumn<int>("cycleSeconds");
    QTest::addColumn<PageTransition>("transition");

    QTest::newRow("nothing stored") << StoredValues() << "page0" << ScreenLook(ScreenLook::Mono)
                                    << FrameSize(FrameSize::Medium) << false << 0
                                    << PageTransition(PageTransition::Flip);
    QTest::newRow("everything stored") << StoredValues{{"page", "page3"},      {"look", "colour"},
                                                       {"size", "fullScreen"}, {"keepOnTop", "true"},
                                                       {"cycleSeconds", "30"}, {"transition", "slide"}}
                                       << "page3" << ScreenLook(ScreenLook::Colour) << FrameSize(FrameSize::FullScreen)
                                       << true << 30 << PageTransition(PageTransition::Slide);
    QTest::newRow("panel look") << StoredValues{{"look", "panel"}, {"transition", "flash"}} << "page0"
                                << ScreenLook(ScreenLook::Panel) << FrameSize(FrameSize::Medium) << false << 0
                                << PageTransition(PageTransition::Flash);
    QTest::newRow("unrecognised values") << StoredValues{{"look", "Panel"},
                                                         {"size", "huge"},
                                                         {"keepOnTop", "maybe"},
                                                         {"cycleSeconds", "often"},
                                                         {"transition", "Fade"}}
                                         << "page0" << ScreenLook(ScreenLook::Mono) << FrameSize(FrameSize::Medium)
                                         << false << 0 << PageTransition(PageTransition::Flip);
}

void TestFrameModelDisplay::readsStoredOptions()
{
    QFETCH(StoredValues, stored);
    QFETCH(QString, view);
    QFETCH(ScreenLook, look);
    QFETCH(FrameSize, size);
    QFETCH(bool, keepOnTop);
    QFETCH(int, cycleSeconds);
    QFETCH(PageTransition, transition);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        Defaults::setValue(it.key(), it.value());

    const FrameModel model;
    QCOMPARE(model.view(), view);
    QCOMPARE(model.look(), look);
    QCOMPARE(model.size(), size);
    QCOMPARE(model.keepOnTop(), keepOnTop);
    QCOMPARE(model.cycleSeconds(), cycleSeconds);
    QCOMPARE(model.transition(), transition);
    QCOMPARE(model.movingForward(), true);
    QCOMPARE(model.flash(), Flash::None);
}

void TestFrameModelDisplay::settersNotifyOnlyOnChangeButAlwaysStore()
{
    FrameModel model;
    QSignalSpy viewChanged(&model, &FrameModel::viewChanged);
    QSignalSpy lookChanged(&model, &FrameModel::lookChanged);
    QSignalSpy sizeChanged(&model, &FrameModel::sizeChanged);
    QSignalSpy keepOnTopChanged(&model, &FrameModel::keepOnTopChanged);
    QSignalSpy transitionChanged(&model, &FrameModel::transitionChanged);
    QSignalSpy cycleSecondsChanged(&model, &FrameModel::cycleSecondsChanged);
    QSignalSpy movingForwardChanged(&model, &FrameModel::movingForwardChanged);
    QSignalSpy flashChanged(&model, &FrameModel::flashChanged);

    // Equal values: nobody is notified, yet every stored option is written.
    model.setView(QStringLiteral("page0"));
    model.setLook(ScreenLook::Mono);
    model.setSize(FrameSize::Medium);
    model.setKeepOnTop(false);
    model.setTransition(PageTransition::Flip);
    model.setCycleSeconds(0);
    model.setMovingForward(true);
    model.setFlash(Flash::None);
    for (QSignalSpy *spy : {&viewChanged, &lookChanged, &sizeChanged, &keepOnTopChanged, &transitionChanged,
                            &cycleSecondsChanged, &movingForwardChanged, &flashChanged})
        QCOMPARE(spy->count(), 0);
    QCOMPARE(defaultsStore().allKeys().size(), 6);
    QCOMPARE(Defaults::stringValue(QStringLiteral("size")), std::optional<QString>(QStringLiteral("medium")));

    model.setView(QStringLiteral("page2"));
    model.setLook(ScreenLook::Colour);
    model.setSize(FrameSize::FullScreen);
    model.setKeepOnTop(true);
    model.setTransition(PageTransition::Fade);
    model.setCycleSeconds(300);
    model.setMovingForward(false);
    model.setFlash(Flash::Dark);
    for (QSignalSpy *spy : {&viewChanged, &lookChanged, &sizeChanged, &keepOnTopChanged, &transitionChanged,
                            &cycleSecondsChanged, &movingForwardChanged, &flashChanged})
        QCOMPARE(spy->count(), 1);

    // What was stored reads back in a new model.
    const FrameModel reread;
    QCOMPARE(reread.view(), QStringLiteral("page2"));
    QCOMPARE(reread.look(), ScreenLook(ScreenLook::Colour));
    QCOMPARE(reread.size(), FrameSize(FrameSize::FullScreen));
    QCOMPARE(reread.keepOnTop(), true);
    QCOMPARE(reread.transition(), PageTransition(PageTransition::Fade));
    QCOMPARE(reread.cycleSeconds(), 300);
    QCOMPARE(reread.movingForward(), true); // not stored
    QCOMPARE(reread.flash(), Flash::None);  // not stored
}

void TestFrameModelDisplay::hooksNotifyOnEveryWrite()
{
    FrameModel model;
    QSignalSpy editorChanged(&model, &FrameModel::openEditorChanged);
    int opened = 0;
    const auto open = [&opened] { ++opened; };
    model.setOpenEditor(open);
    model.setOpenEditor(open);
    QCOMPARE(editorChanged.count(), 2);
    model.openEditor()();
    QCOMPARE(opened, 1);

    QSignalSpy welcomeChanged(&model, &FrameModel::openWelcomeChanged);
    model.setOpenWelcome({});
    QCOMPARE(welcomeChanged.count(), 1);
    QVERIFY(!model.openWelcome());
}

QTEST_GUILESS_MAIN(TestFrameModelDisplay)
#include "TestFrameModelDisplay.moc"
