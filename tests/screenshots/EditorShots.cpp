// SPDX-License-Identifier: GPL-3.0-or-later
// The layout editor as the user meets it, drawn from real page pictures: a page selected, a slot
// selected, a slot waiting for its picture, the hover tag, an empty page, and each inspector
// (the page, the widget list, the countdown and the three states of calendar access).

#include "RunConfiguration.h"
#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "render/PageRenderer.h"
#include "ui/editor/EditorState.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/LayoutEditor.h"
#include "ui/editor/PageCanvas.h"
#include "ui/editor/SlotOverlay.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using ScreenshotSupport::save;
using ScreenshotSupport::settle;

namespace {

QJsonObject pageJson(const QString &layout, const QStringList &widgets)
{
    QJsonArray entries;
    for (const QString &widget : widgets)
        entries.append(widget.isEmpty() ? QJsonValue() : QJsonValue(widget));
    return QJsonObject{{"layout", layout}, {"slots", entries}};
}

// The pictures of tests/fixtures/ui/screens and the pages they were drawn from, in the colour look.
void prepareLastRun(const QString &screens)
{
    QDir().mkpath(screens);
    const QDir fixtures(TestSupport::fixturePath(QStringLiteral("ui/screens")));
    for (const QString &name : fixtures.entryList(QDir::Files))
        QFile::copy(fixtures.filePath(name), QDir(screens).filePath(name));

    const QJsonArray pages{
        pageJson("twoThirdsLeft", {"github.year", "github.overview"}),
        pageJson("halves", {"github.month", "github.activity"}),
        pageJson("wideTwo", {"plans.all", "provider.claude", "provider.codex"}),
        pageJson("thirds", {"provider.wispr", "today.date", "countdown"}),
        pageJson("wideTwo", {"calendar.next", "today.date", "countdown"}),
    };
    const QJsonObject settings{{"providers", QJsonArray{"claude", "codex"}},
                               {"logos", true},
                               {"pages", pages},
                               {"countdown", QJsonObject{{"title", "Tessarine 1.0"}, {"date", "2026-04-10"}}}};
    TestSupport::writeFile(QFileInfo(screens).dir().filePath(QStringLiteral("settings.json")),
                           QJsonDocument(settings).toJson());
    Defaults::setValue(QStringLiteral("look"), QStringLiteral("colour"));
}

void selectSlot(LayoutEditor &editor, FrameModel &model, int page, std::optional<int> slot)
{
    editor.state().setSelection(model.pages().at(page).id);
    editor.state().setSelectedSlot(slot);
    settle(150);
}

QWidget *inspectorColumn(LayoutEditor &editor)
{
    return editor.currentInspectorColumn();
}

} // namespace

int main(int argc, char *argv[])
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString screens = QDir(scratch.path()).filePath(QStringLiteral("screens"));
    qputenv("TESSARINE_SCREENS", screens.toUtf8());
    qputenv("TESSARINE_VIEWS", QByteArray(TESSARINE_TEST_VIEWS));
    prepareLastRun(screens);
    // A login shell that takes its time: a refresh started by an edit is still running when the
    // pictures are taken, as it would be for a few seconds on a real desktop.
    const QString slowShell = QDir(scratch.path()).filePath(QStringLiteral("slow-shell"));
    TestSupport::writeScript(slowShell, "#!/bin/sh\nsleep 3\nexit 1\n");
    qputenv("SHELL", slowShell.toUtf8());

    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    LayoutEditor editor(model);
    editor.resize(1320, 820);
    editor.show();
    settle();
    bool ok = true;

    // A page selected: the page inspector beside it.
    selectSlot(editor, model, 2, std::nullopt);
    ok &= save(&editor, QStringLiteral("editor-page"));
    ok &= save(inspectorColumn(editor), QStringLiteral("inspector-page"));

    // A slot selected: the widget list for it.
    selectSlot(editor, model, 2, 1);
    ok &= save(&editor, QStringLiteral("editor-slot"));
    ok &= save(inspectorColumn(editor), QStringLiteral("inspector-widget"));

    // The pointer over a slot that holds a widget: its name tag.
    selectSlot(editor, model, 0, std::nullopt);
    editor.canvas()->overlays().at(1)->setHovered(true);
    settle(100);
    ok &= save(editor.canvas(), QStringLiteral("canvas-hover"));
    editor.canvas()->overlays().at(1)->setHovered(false);

    // The countdown's settings above the widget list.
    selectSlot(editor, model, 3, 2);
    ok &= save(&editor, QStringLiteral("editor-countdown"));
    ok &= save(inspectorColumn(editor), QStringLiteral("inspector-countdown"));

    // The calendar's settings in each state of access.
    selectSlot(editor, model, 4, 0);
    const struct
    {
        CalendarStore::Authorization access;
        const char *name;
    } accessStates[] = {{CalendarStore::Authorization::NotDetermined, "inspector-calendar-not-asked"},
                        {CalendarStore::Authorization::FullAccess, "inspector-calendar-allowed"},
                        {CalendarStore::Authorization::Denied, "inspector-calendar-denied"}};
    for (const auto &state : accessStates) {
        model.eventStore().setAuthorization(state.access);
        settle(100);
        ok &= save(inspectorColumn(editor), QString::fromLatin1(state.name));
    }

    // A widget just chosen: its slot waits for the refresh the change started.
    selectSlot(editor, model, 1, 1);
    model.setWidget(QStringLiteral("calendar.next"), model.pages().at(1).id, 1);
    settle(120);
    ok &= save(&editor, QStringLiteral("editor-stale"));

    // A new page: two empty slots inviting a widget, one under the pointer.
    editor.state().setSelection(model.addPage(model.pages().at(1).id));
    settle(150);
    editor.canvas()->overlays().at(0)->setHovered(true);
    settle(100);
    ok &= save(&editor, QStringLiteral("editor-new-page"));

    // The inspector hidden: the canvas takes the room.
    editor.state().setShowInspector(false);
    settle(150);
    ok &= save(&editor, QStringLiteral("editor-no-inspector"));
    editor.state().setShowInspector(true);

    // No page selected.
    editor.state().setSelection(std::nullopt);
    settle(150);
    ok &= save(&editor, QStringLiteral("editor-no-page"));
    editor.close();

    // A copy without its views: no widget list to edit with.
    qputenv("TESSARINE_VIEWS", QDir(scratch.path()).filePath(QStringLiteral("missing")).toUtf8());
    FrameModel bare(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    LayoutEditor bareEditor(bare);
    bareEditor.resize(1320, 820);
    bareEditor.show();
    settle();
    ok &= save(&bareEditor, QStringLiteral("editor-no-catalogue"));
    return ok ? 0 : 1;
}
