// SPDX-License-Identifier: GPL-3.0-or-later
// The controls the connections window and the welcome flow share: a row's detail line and its
// buttons, and the GitHub code with its way to the browser.
#include "ui/common/ConnectionMark.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/common/GitHubCLIHelp.h"
#include "ui/common/GitHubDeviceCode.h"
#include "ui/common/LineEditAccessible.h"
#include "ui/common/RowAction.h"
#include "ui/common/SymbolIcon.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestSharedControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Toolbar and step symbols are drawn for the screen's density, not blown up from scale 1.
    void symbolsAreDrawnAtTheScreensDensity_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("size");
        QTest::newRow("scale 1, toolbar") << qreal(1) << 16;
        QTest::newRow("scale 2, toolbar") << qreal(2) << 22;
        QTest::newRow("scale 2, large") << qreal(2) << 32;
    }
    void symbolsAreDrawnAtTheScreensDensity()
    {
        QFETCH(qreal, ratio);
        QFETCH(int, size);
        const QIcon icon = SymbolIcon::icon(QStringLiteral("list-add"), Qt::black);
        const QPixmap pixmap = icon.pixmap(QSize(size, size), ratio);
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
        QCOMPARE(pixmap.size(), QSize(size, size) * ratio);
        // A symbol drawn at this density has the thin strokes' own hard edges: some pixels fully
        // inked, where a scale-1 symbol stretched to double size has only soft ones.
        const QImage image = pixmap.toImage();
        int solid = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                solid += image.pixelColor(x, y).alpha() == 255 ? 1 : 0;
        }
        QVERIFY(solid > size * ratio);
        // Drawn over the whole square, also where the application itself runs at scale 2 (the
        // same suite runs again with QT_SCALE_FACTOR=2): a symbol at half size leaves the right
        // and bottom halves empty.
        const QImage drawn = SymbolIcon::pixmap(QStringLiteral("list-add"), size, Qt::black, ratio).toImage();
        QCOMPARE(drawn.size(), QSize(size, size) * ratio);
        int right = 0;
        int bottom = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (drawn.pixelColor(x, y).alpha() > 128) {
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
            }
        }
        QVERIFY2(right > drawn.width() * 3 / 4 && bottom > drawn.height() * 3 / 4,
                 qPrintable(QStringLiteral("inked up to %1, %2 of %3").arg(right).arg(bottom).arg(drawn.width())));
    }

    void quotedCommandsNeverBreak()
    {
        ConnectionRowWidget row(ConnectionMark::logo(QStringLiteral("github")), QStringLiteral("GitHub"));
        const QString detail = QStringLiteral("Tessarine reads GitHub through the GitHub CLI. Install it, run "
                                              "“gh auth login” in a terminal, then check again.");
        row.setDetail(detail);
        // The row says what it was given…
        QCOMPARE(row.detail(), detail);
        // …and shows the command with spaces a line cannot break at, the rest as it was.
        QLabel *shown = nullptr;
        for (QLabel *label : row.findChildren<QLabel *>()) {
            if (label->text().contains(QStringLiteral("terminal")))
                shown = label;
        }
        QVERIFY(shown);
        QVERIFY(shown->text().contains(QStringLiteral("“gh\u00A0auth\u00A0login”")));
        QVERIFY(shown->text().contains(QStringLiteral("in a terminal, then check again.")));
        QCOMPARE(QString(shown->text()).replace(QChar(QChar::Nbsp), QLatin1Char(' ')), detail);
    }

    void rowButtonsGetRoomBesideTheirLabels()
    {
        ConnectionRowWidget row(ConnectionMark::logo(QStringLiteral("github")), QStringLiteral("GitHub"));
        auto *help = new GitHubCLIHelp(false, [] {});
        row.setAction(help);
        const QList<QPushButton *> buttons = help->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 2);
        for (const QPushButton *button : buttons) {
            const int label = button->fontMetrics().horizontalAdvance(button->text());
            QVERIFY2(button->minimumWidth() >= label + 24, qPrintable(button->text()));
        }
    }

    // A screen reader says a row's button out of its row: the button's name says the row's.
    void rowButtonsAreNamedWithTheirRow_data()
    {
        using Action = ConnectionRowState::Action;
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("action");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("sign in") << "GitHub" << int(Action::signIn) << QStringList{"Sign In…, GitHub"};
        QTest::newRow("GitHub CLI to install") << "GitHub" << int(Action::gitHubCliInstall)
                                               << QStringList{"Check Again, GitHub", "Get GitHub CLI, GitHub"};
        QTest::newRow("device code") << "GitHub" << int(Action::deviceCode)
                                     << QStringList{"Cancel, GitHub", "Copy Code and Open GitHub, GitHub"};
    }

    void rowButtonsAreNamedWithTheirRow()
    {
        QFETCH(QString, row);
        QFETCH(int, action);
        QFETCH(QStringList, names);
        RowAction::Handlers handlers;
        handlers.signIn = handlers.setUpClaude = handlers.checkAgain = handlers.cancelSignIn = [] {};
        const RowAction::Key key{ConnectionRowState::Action(action), QStringLiteral("ABCD-1234"),
                                 QUrl(QStringLiteral("https://github.com/login/device"))};
        ConnectionRowWidget widget(ConnectionMark::logo(QStringLiteral("github")), row);
        widget.setAction(RowAction::make(key, handlers));
        QStringList named;
        for (const QPushButton *button : widget.findChildren<QPushButton *>())
            named.append(button->accessibleName());
        named.sort();
        QCOMPARE(named, names);
    }

    void buttonNamesLeaveOutMnemonicMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("marked") << "&Check Again"
                                << "Check Again, Codex";
        QTest::newRow("doubled ampersand") << "Save && Close"
                                           << "Save & Close, Codex";
    }

    void buttonNamesLeaveOutMnemonicMarks()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QCOMPARE(ConnectionRowWidget::buttonName(text, QStringLiteral("Codex")), name);
    }

    // A reader splits what it reads at attribute runs: a field's text is one run, wherever it
    // asks, and a selection covers what is selected.
    void textFieldsReadAsOneRun_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("selectAll");
        QTest::newRow("first letter") << "Today" << 0 << false;
        QTest::newRow("last letter, all selected") << "Today" << 4 << true;
        QTest::newRow("after the end") << "Stand-up" << 8 << false;
        QTest::newRow("empty") << "" << 0 << false;
    }

    void textFieldsReadAsOneRun()
    {
        QFETCH(QString, text);
        QFETCH(int, offset);
        QFETCH(bool, selectAll);
        LineEditAccessible::install();
        QLineEdit field(text);
        if (selectAll)
            field.selectAll();
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&field);
        QVERIFY(dynamic_cast<LineEditAccessible *>(reader));
        QAccessibleTextInterface *textOf = reader->textInterface();
        int start = -1;
        int end = -1;
        textOf->attributes(offset, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(0, int(text.size())));
        QCOMPARE(textOf->text(0, textOf->characterCount()), text);
        QCOMPARE(textOf->selectionCount(), selectAll ? 1 : 0);
        if (selectAll) {
            textOf->selection(0, &start, &end);
            QCOMPARE(std::pair(start, end), std::pair(0, int(text.size())));
        }
    }

    void passwordFieldsKeepQtsOwnInterface()
    {
        LineEditAccessible::install();
        QLineEdit field(QStringLiteral("secret"));
        field.setEchoMode(QLineEdit::Password);
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&field);
        QVERIFY(reader);
        QVERIFY(!dynamic_cast<LineEditAccessible *>(reader));
    }

    void codeFallsBackToTheAddressWithoutABrowser()
    {
        const QUrl page(QStringLiteral("https://github.com/login/device"));
        GitHubDeviceCode code(QStringLiteral("ABCD-1234"), page);
        QList<QUrl> opened;
        bool browserWorks = false;
        code.setUrlOpener([&](const QUrl &url) {
            opened.append(url);
            return browserWorks;
        });

        code.copyCodeAndOpen();
        QCOMPARE(opened, QList<QUrl>{page});
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ABCD-1234"));
        QVERIFY2(code.fallbackText().contains(page.toString()), qPrintable(code.fallbackText()));
        auto *shown = code.findChild<QLabel *>(QStringLiteral("openFailed"));
        QVERIFY(shown && !shown->isHidden());
        QVERIFY(shown->textInteractionFlags() & Qt::TextSelectableByMouse);

        // Once a browser opens it, the note goes.
        browserWorks = true;
        code.copyCodeAndOpen();
        QCOMPARE(opened.size(), 2);
        QVERIFY(code.fallbackText().isEmpty());
    }
};

QTEST_MAIN(TestSharedControls)
#include "TestSharedControls.moc"
