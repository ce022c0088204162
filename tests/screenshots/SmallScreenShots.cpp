// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as they open on a 1366 × 768 screen: the layout editor at the usual font size, and
// every window and the calendar privacy dialog with a 12 pt desktop font (the editor also with
// the countdown's inspector), the editor also in a
// dark appearance. Nothing is installed and nobody is signed in, so the GitHub rows offer the
// GitHub CLI.

#include "RunConfiguration.h"
#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "services/ConnectionsState.h"
#include "ui/app/App.h"
#include "ui/common/CalendarPrivacyDialog.h"
#include "ui/connections/ConnectionsView.h"
#include "ui/editor/EditorState.h"
#include "ui/editor/LayoutEditor.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int waitMs = 20000;

void useFontSize(double points)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    QApplication::setFont(font);
}

QPalette darkPalette()
{
    // A dark desktop palette whose selection colour reads poorly on dark panels, as many do.
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x32, 0x32, 0x35));
    palette.setColor(QPalette::WindowText, QColor(235, 235, 240));
    palette.setColor(QPalette::Button, QColor(62, 62, 66));
    palette.setColor(QPalette::ButtonText, QColor(235, 235, 240));
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::Text, QColor(235, 235, 240));
    palette.setColor(QPalette::Highlight, QColor(0x12, 0x60, 0x8a));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x12, 0x60, 0x8a));
    return palette;
}

bool editor(const QString &name)
{
    App app(TestSupport::configuration());
    app.showEditor();
    ScreenshotSupport::settle(500);
    const bool saved = ScreenshotSupport::save(app.editorWindow(), name);
    app.editorWindow()->close();
    return saved;
}

// The last starting page's countdown selected: the inspector's slot line and date picker.
bool editorCountdown(const QString &name)
{
    App app(TestSupport::configuration());
    app.showEditor();
    auto *editor = qobject_cast<LayoutEditor *>(app.editorWindow());
    editor->state().setSelection(app.model().pages().last().id);
    editor->state().setSelectedSlot(2);
    ScreenshotSupport::settle(500);
    const bool saved = ScreenshotSupport::save(editor, name);
    editor->close();
    return saved;
}

bool connections(const QString &name)
{
    App app(TestSupport::configuration());
    app.showConnections();
    auto *view = qobject_cast<ConnectionsView *>(app.connectionsWindow());
    // A search that never ends still leaves a picture worth looking at.
    (void)QTest::qWaitFor([view] { return !view->state().isChecking(); }, waitMs);
    ScreenshotSupport::settle();
    const bool saved = ScreenshotSupport::save(view, name);
    view->close();
    return saved;
}

bool privacyDialog(const QString &name)
{
    FrameModel model(TestSupport::configuration());
    CalendarPrivacyDialog dialog(model.eventStore());
    dialog.show();
    ScreenshotSupport::settle();
    return ScreenshotSupport::save(&dialog, name);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir scratch;
    ScreenshotSupport::useOneScreen(scratch.path(), QSize(1366, 768));
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
    qputenv("TESSARINE_SCREENS", QFile::encodeName(scratch.filePath(QStringLiteral("screens"))));
    qputenv("PATH", QFile::encodeName(scratch.path()));

    bool ok = editor(QStringLiteral("editor-1366x768"));
    useFontSize(12);
    ok = editor(QStringLiteral("editor-12pt-1366x768")) && ok;
    ok = editorCountdown(QStringLiteral("editor-12pt-1366x768-countdown")) && ok;
    ok = connections(QStringLiteral("connections-12pt-1366x768")) && ok;
    {
        App app(TestSupport::configuration());
        ok = ScreenshotSupport::saveWelcomeSteps(app, QStringLiteral("welcome-12pt-1366x768-step")) && ok;
    }
    ok = privacyDialog(QStringLiteral("calendar-privacy-12pt")) && ok;
    QApplication::setPalette(darkPalette());
    ok = editor(QStringLiteral("editor-12pt-dark-1366x768")) && ok;
    return ok ? 0 : 1;
}
