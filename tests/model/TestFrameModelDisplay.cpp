// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/Defaults.h"
#include "platform/ReduceMotion.h"

#include <QDBusVariant>
#include <QDir>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <limits>
#include <memory>

namespace {

using StoredValues = QMap<QString, QString>;

// Makes the armed cycle timer fire now and waits until the model has armed the next one.
bool fireCycleTimer(FrameModel &model)
{
    QTimer *fired = model.cycleTimer();
    if (!fired)
        return false;
    fired->start(0);
    return RefreshSupport::waitFor([&] { return model.cycleTimer() && model.cycleTimer() != fired; }, 5000);
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
    void planAlertsAreOnUntilTurnedOff_data();
    void planAlertsAreOnUntilTurnedOff();

    void cycleTimerFollowsTheInterval();
    void cycleTimerSteps_data();
    void cycleTimerSteps();
    void showingTheShownViewChangesNothing();
    void flashIgnoresRequestsUntilItEnds_data();
    void flashIgnoresRequestsUntilItEnds();
    void pageChangesPickTheirAnimation_data();
    void pageChangesPickTheirAnimation();
    void widths_data();
    void widths();
    void lookLoadsItsOwnPictures();
    void reduceMotionFromTheDesktopSetting_data();
    void reduceMotionFromTheDesktopSetting();

private:
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    void writeManifest(const QStringList &views) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameModelDisplay::writeManifest(const QStringList &views) const
{
    RefreshSupport::writeManifest(screens(), QJsonObject{{"ok", true}, {"views", QJsonArray::fromStringList(views)}});
}

void TestFrameModelDisplay::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("model/views")).toUtf8());
    TestSupport::defaultsStore().clear();
    ReduceMotion::instance().setOverride(std::nullopt);
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

    const FrameModel model(TestSupport::configuration());
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
    FrameModel model(TestSupport::configuration());
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
    model.display().setMovingForward(true);
    model.display().setFlash(Flash::None);
    for (QSignalSpy *spy : {&viewChanged, &lookChanged, &sizeChanged, &keepOnTopChanged, &transitionChanged,
                            &cycleSecondsChanged, &movingForwardChanged, &flashChanged})
        QCOMPARE(spy->count(), 0);
    QCOMPARE(TestSupport::defaultsStore().allKeys().size(), 6);
    QCOMPARE(Defaults::stringValue(QStringLiteral("size")), std::optional<QString>(QStringLiteral("medium")));

    model.setView(QStringLiteral("page2"));
    model.setLook(ScreenLook::Colour);
    model.setSize(FrameSize::FullScreen);
    model.setKeepOnTop(true);
    model.setTransition(PageTransition::Fade);
    model.setCycleSeconds(300);
    model.display().setMovingForward(false);
    model.display().setFlash(Flash::Dark);
    for (QSignalSpy *spy : {&viewChanged, &lookChanged, &sizeChanged, &keepOnTopChanged, &transitionChanged,
                            &cycleSecondsChanged, &movingForwardChanged, &flashChanged})
        QCOMPARE(spy->count(), 1);

    // What was stored reads back in a new model.
    const FrameModel reread(TestSupport::configuration());
    QCOMPARE(reread.view(), QStringLiteral("page2"));
    QCOMPARE(reread.look(), ScreenLook(ScreenLook::Colour));
    QCOMPARE(reread.size(), FrameSize(FrameSize::FullScreen));
    QCOMPARE(reread.keepOnTop(), true);
    QCOMPARE(reread.transition(), PageTransition(PageTransition::Fade));
    QCOMPARE(reread.cycleSeconds(), 300);
    QCOMPARE(reread.movingForward(), true); // not stored
    QCOMPARE(reread.flash(), Flash::None);  // not stored
}

void TestFrameModelDisplay::planAlertsAreOnUntilTurnedOff_data()
{
    QTest::addColumn<StoredValues>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("nothing stored") << StoredValues() << true;
    QTest::newRow("stored on") << StoredValues{{"planAlerts", "true"}} << true;
    QTest::newRow("stored off") << StoredValues{{"planAlerts", "false"}} << false;
}

void TestFrameModelDisplay::planAlertsAreOnUntilTurnedOff()
{
    QFETCH(StoredValues, stored);
    QFETCH(bool, on);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        Defaults::setValue(it.key(), it.value());
    FrameModel model(TestSupport::configuration());
    QCOMPARE(model.display().planAlerts(), on);

    QSignalSpy changed(&model.display(), &DisplayOptions::planAlertsChanged);
    model.display().setPlanAlerts(on);
    QCOMPARE(changed.count(), 0);
    model.display().setPlanAlerts(!on);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(FrameModel(TestSupport::configuration()).display().planAlerts(), !on);
    QVERIFY(!model.isRefreshing());
}

void TestFrameModelDisplay::hooksNotifyOnEveryWrite()
{
    FrameModel model(TestSupport::configuration());
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

void TestFrameModelDisplay::cycleTimerFollowsTheInterval()
{
    FrameModel model(TestSupport::configuration());
    QVERIFY(!model.cycleTimer());
    model.restartCycle();
    QVERIFY(!model.cycleTimer());

    model.setCycleSeconds(30);
    const QPointer<QTimer> armed = model.cycleTimer();
    QVERIFY(armed);
    QVERIFY(armed->isActive());
    QVERIFY(armed->isSingleShot());
    QCOMPARE(armed->interval(), 30 * 1000);

    // Choosing the same interval again restarts the cycle: a new timer replaces the old one.
    model.setCycleSeconds(30);
    QVERIFY(model.cycleTimer() && model.cycleTimer() != armed);
    QVERIFY(!armed || !armed->isActive());

    // An interval beyond what a timer can hold is cut to that, not wrapped round.
    model.setCycleSeconds(std::numeric_limits<int>::max());
    QVERIFY(model.cycleTimer()->interval() > 0);
    QVERIFY(model.cycleTimer()->isActive());

    model.setCycleSeconds(0);
    QVERIFY(!model.cycleTimer());
}

void TestFrameModelDisplay::cycleTimerSteps_data()
{
    QTest::addColumn<QStringList>("views");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("next");

    QTest::newRow("one view stays") << QStringList{"page0"} << "page0"
                                    << "page0";
    QTest::newRow("next view") << QStringList{"page0", "page1", "page2"} << "page1"
                               << "page2";
    QTest::newRow("wraps to the first") << QStringList{"page0", "page1", "page2"} << "page2"
                                        << "page0";
    QTest::newRow("view not rendered") << QStringList{"page0", "page1"} << "page7"
                                       << "page0";
}

void TestFrameModelDisplay::cycleTimerSteps()
{
    QFETCH(QStringList, views);
    QFETCH(QString, shown);
    QFETCH(QString, next);
    writeManifest(views);
    FrameModel model(TestSupport::configuration());
    model.setView(shown);
    model.display().setMovingForward(false);
    model.setCycleSeconds(30);

    QVERIFY(fireCycleTimer(model));
    QCOMPARE(model.view(), next);
    QCOMPARE(model.movingForward(), next == shown ? false : true);
    // Armed again for a full interval, whether or not the page changed.
    QVERIFY(model.cycleTimer()->isActive());
    QCOMPARE(model.cycleTimer()->interval(), 30 * 1000);
}

void TestFrameModelDisplay::showingTheShownViewChangesNothing()
{
    writeManifest({"page0", "page1"});
    FrameModel model(TestSupport::configuration());
    model.setCycleSeconds(60);
    QTimer *armed = model.cycleTimer();
    QSignalSpy viewChanged(&model, &FrameModel::viewChanged);

    model.show(QStringLiteral("page0"), false);
    QCOMPARE(viewChanged.count(), 0);
    QCOMPARE(model.cycleTimer(), armed);
    QCOMPARE(model.movingForward(), true);

    // A real change gives the new page a full interval.
    model.show(QStringLiteral("page1"), true);
    QCOMPARE(model.view(), QStringLiteral("page1"));
    QVERIFY(model.cycleTimer() != armed);
    QCOMPARE(Defaults::stringValue(QStringLiteral("page")), std::optional<QString>(QStringLiteral("page1")));
}

void TestFrameModelDisplay::flashIgnoresRequestsUntilItEnds_data()
{
    QTest::addColumn<ScreenLook>("look");
    QTest::addColumn<PageTransition>("transition");

    QTest::newRow("flash transition") << ScreenLook(ScreenLook::Mono) << PageTransition(PageTransition::Flash);
    QTest::newRow("panel look with slide") << ScreenLook(ScreenLook::Panel) << PageTransition(PageTransition::Slide);
}

void TestFrameModelDisplay::flashIgnoresRequestsUntilItEnds()
{
    QFETCH(ScreenLook, look);
    QFETCH(PageTransition, transition);
    FrameModel model(TestSupport::configuration());
    model.setLook(look);
    model.setTransition(transition);
    QStringList steps;
    connect(&model, &FrameModel::flashChanged, this, [&] {
        const char *phase = model.flash() == Flash::Dark ? "dark" : model.flash() == Flash::Light ? "light" : "none";
        steps.append(QString::fromLatin1(phase) + QLatin1Char(' ') + model.view());
    });

    model.show(QStringLiteral("page1"), false);
    QCOMPARE(model.flash(), Flash::Dark);
    model.show(QStringLiteral("page2"), true); // within the flash: ignored
    QVERIFY(RefreshSupport::waitFor([&] { return model.flash() == Flash::None; }, 5000));

    QCOMPARE(steps, QStringList({"dark page0", "light page0", "none page1"}));
    QCOMPARE(model.view(), QStringLiteral("page1"));
    QCOMPARE(model.movingForward(), true); // a flash has no direction
    QCOMPARE(model.display().pendingAnimation(), ViewAnimation());

    // Once it has ended, the next request flashes again.
    model.show(QStringLiteral("page2"), true);
    QCOMPARE(model.flash(), Flash::Dark);
    QVERIFY(RefreshSupport::waitFor([&] { return model.view() == QStringLiteral("page2"); }, 5000));
    QCOMPARE(model.flash(), Flash::None);
}

void TestFrameModelDisplay::pageChangesPickTheirAnimation_data()
{
    using Curve = ViewAnimation::Curve;
    QTest::addColumn<PageTransition>("transition");
    QTest::addColumn<bool>("reduceMotion");
    QTest::addColumn<int>("curve");
    QTest::addColumn<double>("seconds");

    QTest::newRow("slide") << PageTransition(PageTransition::Slide) << false << int(Curve::Spring) << 0.5;
    QTest::newRow("slide, less motion") << PageTransition(PageTransition::Slide) << true << int(Curve::EaseInOut)
                                        << 0.35;
    QTest::newRow("flip") << PageTransition(PageTransition::Flip) << false << int(Curve::Linear) << 0.56;
    QTest::newRow("flip, less motion") << PageTransition(PageTransition::Flip) << true << int(Curve::EaseInOut) << 0.35;
    QTest::newRow("fade") << PageTransition(PageTransition::Fade) << false << int(Curve::EaseInOut) << 0.35;
}

void TestFrameModelDisplay::pageChangesPickTheirAnimation()
{
    QFETCH(PageTransition, transition);
    QFETCH(bool, reduceMotion);
    QFETCH(int, curve);
    QFETCH(double, seconds);
    ReduceMotion::instance().setOverride(reduceMotion);
    FrameModel model(TestSupport::configuration());
    model.setTransition(transition);
    std::optional<ViewAnimation> seenOnChange;
    connect(&model, &FrameModel::viewChanged, this, [&] { seenOnChange = model.display().pendingAnimation(); });

    model.show(QStringLiteral("page3"), false);
    const ViewAnimation expected{ViewAnimation::Curve(curve), seconds};
    QCOMPARE(seenOnChange, std::optional<ViewAnimation>(expected));
    QCOMPARE(model.view(), QStringLiteral("page3"));
    QCOMPARE(model.movingForward(), false);
    QCOMPARE(model.flash(), Flash::None);

    // A change made without show() is not animated.
    model.setView(QStringLiteral("page0"));
    QCOMPARE(seenOnChange, std::optional<ViewAnimation>(ViewAnimation()));
}

void TestFrameModelDisplay::widths_data()
{
    QTest::addColumn<ScreenLook>("look");
    QTest::addColumn<FrameSize>("size");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("content");
    QTest::addColumn<double>("available");
    QTest::addColumn<double>("fitted");

    const ScreenLook panel(ScreenLook::Panel);
    const ScreenLook mono(ScreenLook::Mono);
    QTest::newRow("panel, scale 2") << panel << FrameSize(FrameSize::Small) << 2.0 << 680.0 << 3000.0 << 2720.0;
    QTest::newRow("panel, scale 1") << panel << FrameSize(FrameSize::Large) << 1.0 << 1360.0 << 500.0 << 1360.0;
    QTest::newRow("panel, scale below 1") << panel << FrameSize(FrameSize::Medium) << 0.5 << 1360.0 << 2800.0 << 2720.0;
    QTest::newRow("mono small") << mono << FrameSize(FrameSize::Small) << 2.0 << 520.0 << 3000.0 << 3000.0;
    QTest::newRow("mono medium") << mono << FrameSize(FrameSize::Medium) << 1.0 << 680.0 << 777.0 << 777.0;
    QTest::newRow("colour full screen") << ScreenLook(ScreenLook::Colour) << FrameSize(FrameSize::FullScreen) << 2.0
                                        << 900.0 << 1234.5 << 1234.5;
}

void TestFrameModelDisplay::widths()
{
    QFETCH(ScreenLook, look);
    QFETCH(FrameSize, size);
    QFETCH(double, scale);
    QFETCH(double, content);
    QFETCH(double, available);
    QFETCH(double, fitted);
    FrameModel model(TestSupport::configuration());
    model.setLook(look);
    model.setSize(size);
    QCOMPARE(model.contentWidth(scale), content);
    QCOMPARE(model.fittedWidth(available, scale), fitted);
}

void TestFrameModelDisplay::lookLoadsItsOwnPictures()
{
    writeManifest({"page0"});
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::yellow);
    QVERIFY(picture.save(QDir(screens()).filePath(QStringLiteral("page0-colour-light.png"))));

    FrameModel model(TestSupport::configuration());
    QVERIFY(model.images().isEmpty());
    QVERIFY(model.image(QStringLiteral("page0"), false).isNull());
    QSignalSpy imagesChanged(&model, &FrameModel::imagesChanged);

    model.setLook(ScreenLook::Colour);
    QCOMPARE(imagesChanged.count(), 1);
    QCOMPARE(model.image(QStringLiteral("page0"), false).pixel(0, 0), QColor(Qt::yellow).rgb());
    QVERIFY(model.image(QStringLiteral("page0"), true).isNull());
    QVERIFY(model.image(QStringLiteral("page1"), false).isNull());

    // Choosing the look again reads the pictures again.
    QVERIFY(QFile::remove(QDir(screens()).filePath(QStringLiteral("page0-colour-light.png"))));
    model.setLook(ScreenLook::Colour);
    QVERIFY(model.images().isEmpty());
}

void TestFrameModelDisplay::reduceMotionFromTheDesktopSetting_data()
{
    QTest::addColumn<QVariant>("reply");
    QTest::addColumn<std::optional<bool>>("reduceMotion");

    QTest::newRow("animations on") << QVariant(true) << std::optional<bool>(false);
    QTest::newRow("animations off") << QVariant(false) << std::optional<bool>(true);
    QTest::newRow("in a variant") << QVariant::fromValue(QDBusVariant(false)) << std::optional<bool>(true);
    QTest::newRow("in two variants") << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(true))))
                                     << std::optional<bool>(false);
    QTest::newRow("a number") << QVariant(0) << std::optional<bool>();
    QTest::newRow("a string") << QVariant(QStringLiteral("false")) << std::optional<bool>();
}

void TestFrameModelDisplay::reduceMotionFromTheDesktopSetting()
{
    QFETCH(QVariant, reply);
    QFETCH(std::optional<bool>, reduceMotion);
    QCOMPARE(ReduceMotion::fromEnableAnimations(reply), reduceMotion);
}

QTEST_GUILESS_MAIN(TestFrameModelDisplay)
#include "TestFrameModelDisplay.moc"
