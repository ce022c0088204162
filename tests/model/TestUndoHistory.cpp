// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/UndoHistory.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A page list told apart by the title of its one page.
UndoHistory::Snapshot list(int number)
{
    return {Page(QStringLiteral("full"), {std::nullopt}, QString::number(number))};
}

QString titleOf(const std::optional<UndoHistory::Snapshot> &snapshot)
{
    return snapshot ? snapshot->first().title.value_or(QString()) : QStringLiteral("none");
}

QStringList titlesOf(const QList<UndoHistory::Snapshot> &snapshots)
{
    QStringList titles;
    for (const UndoHistory::Snapshot &snapshot : snapshots)
        titles.append(titleOf(snapshot));
    return titles;
}

} // namespace

class TestUndoHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepsBackAndForth()
    {
        UndoHistory history;
        QVERIFY(!history.canUndo());
        QVERIFY(!history.canRedo());
        history.record(list(0));
        history.record(list(1));
        // The current list is 2.
        QCOMPARE(titleOf(history.undo(list(2))), "1");
        QCOMPARE(titleOf(history.undo(list(1))), "0");
        QVERIFY(!history.canUndo());
        QCOMPARE(history.redoStack().size(), 2);
        QCOMPARE(titleOf(history.redo(list(0))), "1");
        QCOMPARE(titleOf(history.redo(list(1))), "2");
        QVERIFY(!history.canRedo());
        QCOMPARE(titlesOf(history.undoStack()), QStringList({"0", "1"}));
    }

    void nothingToStepToChangesNothing()
    {
        UndoHistory history;
        QSignalSpy changed(&history, &UndoHistory::changed);
        QCOMPARE(titleOf(history.undo(list(5))), "none");
        QCOMPARE(titleOf(history.redo(list(5))), "none");
        QCOMPARE(changed.count(), 0);
        QVERIFY(history.redoStack().isEmpty());
        QVERIFY(history.undoStack().isEmpty());
    }

    void aNewChangeForgetsTheRedoSide()
    {
        UndoHistory history;
        history.record(list(0));
        history.record(list(1));
        history.undo(list(2));
        QVERIFY(history.canRedo());
        QSignalSpy changed(&history, &UndoHistory::changed);
        history.record(list(1));
        QVERIFY(!history.canRedo());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(titlesOf(history.undoStack()), QStringList({"0", "1"}));
    }

    void keepsTheLastHundred()
    {
        UndoHistory history;
        for (int number = 0; number <= 100; ++number)
            history.record(list(number));
        QCOMPARE(history.undoStack().size(), UndoHistory::limit);
        QCOMPARE(titleOf(history.undoStack().first()), "1");

        // Undoing everything and redoing it again never holds more than the limit in all.
        UndoHistory::Snapshot current = list(101);
        while (const auto previous = history.undo(current))
            current = *previous;
        QCOMPARE(titleOf(current), "1");
        QCOMPARE(history.redoStack().size(), UndoHistory::limit);
        while (const auto next = history.redo(current))
            current = *next;
        QCOMPARE(titleOf(current), "101");
        QCOMPARE(history.undoStack().size(), UndoHistory::limit);
    }
};

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "TestUndoHistory.moc"
