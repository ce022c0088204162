// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "render/PageRenderer.h"
#include "ui/editor/EditorState.h"
#include "ui/editor/LayoutEditor.h"
#include "ui/editor/PageCanvas.h"
#include "ui/editor/SlotOverlay.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace RefreshSupport;

// The editor while real refreshes run (with the stand-in page view of tests/fixtures/refresh):
// slots wait for the refresh that draws them, edits made during a refresh wait for its
// follow-up, and a failed refresh leaves the editor working. That quick edits never pile up
// refreshes is the refresh schedule's (TestRefreshScheduler) and the model's
// (TestFrameModelEditing: one refresh an edit).
class TestEditorRefresh : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void editsDuringARefreshWaitForTheFollowUp();
    void failedRefreshLeavesTheEditorWorking();

private:
    std::unique_ptr<FrameModel> makeModel() const
    {
        return std::make_unique<FrameModel>(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    }
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    // Counts the refreshes that start.
    void countRuns(FrameModel &model);

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_runs = 0;
};

void TestEditorRefresh::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(startRefreshCase(*m_dir));
    writeSettings(screens(), {page("full", {"today.date"}), page("halves", {"countdown", nullptr})});
    m_runs = 0;
}

void TestEditorRefresh::cleanup()
{
    m_dir.reset();
}

void TestEditorRefresh::countRuns(FrameModel &model)
{
    connect(&model, &FrameModel::isRefreshingChanged, this, [this, &model] { m_runs += model.isRefreshing(); });
}

void TestEditorRefresh::editsDuringARefreshWaitForTheFollowUp()
{
    auto model = makeModel();
    countRuns(*model);
    LayoutEditor editor(*model);
    editor.show();
    const QUuid id = model->pages().at(1).id;
    editor.state().setSelection(id);
    const QList<SlotOverlay *> overlays = editor.canvas()->overlays();
    QCOMPARE(overlays.size(), 2);

    model->setWidget(QStringLiteral("today.date"), id, 0);
    QVERIFY(model->isRefreshing());
    QVERIFY(overlays.at(0)->isUpdating());
    // Changed while the first refresh draws the old slot 1: it must wait for the follow-up.
    model->setWidget(QStringLiteral("calendar.next"), id, 1);
    QVERIFY(model->refreshAgain());
    QVERIFY(overlays.at(1)->isUpdating());

    bool firstDrawn = false;
    bool slot0AfterFirst = true;
    bool slot1AfterFirst = false;
    connect(model.get(), &FrameModel::renderedPagesChanged, this, [&] {
        if (firstDrawn)
            return;
        firstDrawn = true;
        slot0AfterFirst = overlays.at(0)->isUpdating();
        slot1AfterFirst = overlays.at(1)->isUpdating();
    });
    QVERIFY(waitUntilIdle(*model));

    QVERIFY(firstDrawn);
    QVERIFY2(!slot0AfterFirst, "the first refresh drew slot 0");
    QVERIFY2(slot1AfterFirst, "slot 1 changed after the first refresh had started");
    QVERIFY(!overlays.at(0)->isUpdating());
    QVERIFY(!overlays.at(1)->isUpdating());
    QCOMPARE(m_runs, 2);
    QCOMPARE(model->errorLine(), std::nullopt);
    QVERIFY(editor.navigationSubtitle().startsWith(QStringLiteral("Updated ")));
    QCOMPARE(model->document().history().undoStack().size(), 2);
}

void TestEditorRefresh::failedRefreshLeavesTheEditorWorking()
{
    // Views without their page view: every refresh fails when it starts to draw.
    const QString views = m_dir->filePath(QStringLiteral("views"));
    QVERIFY(QDir().mkpath(views));
    QVERIFY(QFile::copy(TestSupport::fixturePath(QStringLiteral("refresh/views/widgets.json")),
                        QDir(views).filePath(QStringLiteral("widgets.json"))));
    qputenv("TESSARINE_VIEWS", views.toUtf8());
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QUuid id = model->pages().at(1).id;
    editor.state().setSelection(id);
    editor.state().setSelectedSlot(1);
    const QList<SlotOverlay *> overlays = editor.canvas()->overlays();

    model->setWidget(QStringLiteral("calendar.next"), id, 1);
    QVERIFY(waitUntilIdle(*model));
    QVERIFY(model->errorLine());
    // Nothing was drawn, so the slot's picture is still out of date, and it says why rather
    // than "Updating…"; nothing else changed.
    QVERIFY(overlays.at(1)->isUpdating());
    QVERIFY(overlays.at(1)->showsFailure());
    QCOMPARE(overlays.at(1)->toolTip(), QStringLiteral("Not updated: ") + *model->errorLine());
    QVERIFY(!overlays.at(0)->isUpdating());
    QCOMPARE(model->document().history().undoStack().size(), 1);
    QCOMPARE(editor.state().selection(), id);
    QCOMPARE(editor.state().selectedSlot(), 1);
    QVERIFY(editor.navigationSubtitle() != QStringLiteral("Updating preview…"));

    // The editor keeps working: Delete empties the slot, undo brings the widget back.
    QTest::keyClick(editor.canvas(), Qt::Key_Delete);
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), std::nullopt);
    QVERIFY(!overlays.at(1)->isUpdating());
    editor.undoAction()->trigger();
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), QStringLiteral("calendar.next"));
    QVERIFY(overlays.at(1)->isUpdating());
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->document().history().undoStack().size(), 1);
    QCOMPARE(model->document().history().redoStack().size(), 1);
}

int main(int argc, char *argv[])
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication application(argc, argv);
    TestEditorRefresh test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestEditorRefresh.moc"
