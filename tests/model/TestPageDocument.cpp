// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageDescription.h"
#include "model/PageDocument.h"

#include <QSignalSpy>
#include <QtTest>
#include <functional>

namespace {

using Edit = std::function<void(PageDocument &)>;

// "b:halves[plans.all,-]" for each page: its own title ("-" for none), layout and slots.
QStringList describe(const QList<Page> &pages)
{
    QStringList result;
    for (const Page &page : pages)
        result.append(page.title.value_or(QStringLiteral("-")) + u':' + TestSupport::describe({page}).first());
    return result;
}

// The four pages every case starts from; the third has no title of its own.
QList<Page> startingPages()
{
    return {
        Page(QStringLiteral("halves"), {QStringLiteral("github.year"), std::nullopt}, QStringLiteral("a")),
        Page(QStringLiteral("halves"), {QStringLiteral("plans.all"), QStringLiteral("countdown")}, QStringLiteral("b")),
        Page(QStringLiteral("full"), {QStringLiteral("today.date")}),
        Page(QStringLiteral("halves"), {std::nullopt, std::nullopt}, QStringLiteral("d"))};
}

const QStringList unchanged{"a:halves[github.year,-]", "b:halves[plans.all,countdown]", "-:full[today.date]",
                            "d:halves[-,-]"};

QUuid idAt(const PageDocument &document, int index)
{
    return document.pages().at(index).id;
}

} // namespace

// The page list and its edits, alone: no settings file, no refresh, no catalogue.
class TestPageDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void edit_data();
    void edit();
    void undoAndRedoStepThroughWholeLists();
    void editThatChangesNothingKeepsTheRedoSide();
    void theOnlyPageIsNeverRemoved();
    void isStale_data();
    void isStale();
};

void TestPageDocument::edit_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QStringList>("expected"); // empty: the list as it was, nothing recorded

    const auto row = [](const char *name, const QStringList &expected, const Edit &edit) {
        QTest::newRow(name) << edit << expected;
    };
    // The starting list with page `index` replaced, removed (empty text) or preceded by another.
    const auto replaced = [](int index, const QString &page) {
        QStringList pages = unchanged;
        if (page.isEmpty())
            pages.removeAt(index);
        else
            pages[index] = page;
        return pages;
    };
    const auto inserted = [](int index, const QString &page) {
        QStringList pages = unchanged;
        pages.insert(index, page);
        return pages;
    };
    const QUuid unknown = QUuid::createUuid();

    // Edits that change nothing.
    row("same widget again", {}, [](PageDocument &d) { d.setWidget(QStringLiteral("github.year"), idAt(d, 0), 0); });
    row("same title again", {}, [](PageDocument &d) { d.setTitle(QStringLiteral("a"), idAt(d, 0)); });
    row("title cleared when there is none", {}, [](PageDocument &d) { d.setTitle(QString(), idAt(d, 2)); });
    row("same layout", {}, [](PageDocument &d) { d.updatePage(idAt(d, 1), [](Page &p) { p.layout = "halves"; }); });
    row("negative slot", {}, [](PageDocument &d) { d.setWidget(QStringLiteral("countdown"), idAt(d, 0), -1); });
    row("slot beyond the page emptied", {}, [](PageDocument &d) { d.setWidget(std::nullopt, idAt(d, 0), 3); });
    row("page onto its own place", {}, [](PageDocument &d) { d.movePages({1}, 1); });
    row("page onto the place after itself", {}, [](PageDocument &d) { d.movePages({0}, 1); });
    row("no positions", {}, [](PageDocument &d) { d.movePages({}, 0); });
    row("positions out of range", {}, [](PageDocument &d) { d.movePages({-1, 7}, 0); });
    row("unknown page", {}, [=](PageDocument &d) {
        d.setWidget(QStringLiteral("countdown"), unknown, 0);
        d.setTitle(QStringLiteral("x"), unknown);
        d.removePage(unknown);
        QCOMPARE(d.duplicatePage(unknown), std::nullopt);
        QCOMPARE(d.pageName(unknown), std::nullopt);
    });

    // Slots and titles.
    row("widget beyond the slots grows the page", replaced(1, "b:halves[plans.all,countdown,-,-,github.year]"),
        [](PageDocument &d) { d.setWidget(QStringLiteral("github.year"), idAt(d, 1), 4); });
    row("slot emptied", replaced(1, "b:halves[-,countdown]"),
        [](PageDocument &d) { d.setWidget(std::nullopt, idAt(d, 1), 0); });
    row("empty title clears", replaced(1, "-:halves[plans.all,countdown]"),
        [](PageDocument &d) { d.setTitle(QString(), idAt(d, 1)); });
    row("two spaces kept", replaced(1, "  :halves[plans.all,countdown]"),
        [](PageDocument &d) { d.setTitle(QStringLiteral("  "), idAt(d, 1)); });
    row("untrimmed title", replaced(1, " Work :halves[plans.all,countdown]"),
        [](PageDocument &d) { d.setTitle(QStringLiteral(" Work "), idAt(d, 1)); });

    // New pages: "halves" with two empty slots and no title; the identifier returned names it.
    const QString blank = QStringLiteral("-:halves[-,-]");
    const auto addAfter = [](std::function<std::optional<QUuid>(PageDocument &)> after, const char *name) {
        return [=](PageDocument &d) { QCOMPARE(d.pageName(d.addPage(after(d))), QString::fromLatin1(name)); };
    };
    row("new page without an identifier", inserted(4, blank),
        addAfter([](PageDocument &) { return std::nullopt; }, "page4"));
    row("new page after an unknown one", inserted(4, blank),
        addAfter([=](PageDocument &) { return unknown; }, "page4"));
    row("new page after the last", inserted(4, blank), addAfter([](PageDocument &d) { return idAt(d, 3); }, "page4"));
    row("new page after the first", inserted(1, blank), addAfter([](PageDocument &d) { return idAt(d, 0); }, "page1"));
    row("copy right after its source", inserted(2, unchanged.at(1)), [](PageDocument &d) {
        const std::optional<QUuid> copy = d.duplicatePage(idAt(d, 1));
        QVERIFY(copy && *copy != idAt(d, 1));
        QCOMPARE(d.pageName(*copy), QStringLiteral("page2"));
    });
    row("page removed", replaced(0, QString()), [](PageDocument &d) { d.removePage(idAt(d, 0)); });

    // Moves: the starting pages a, b, c, d in a new order.
    const auto moved = [](const QString &order) {
        QStringList pages;
        for (const QChar page : order)
            pages.append(unchanged.at(page.unicode() - 'a'));
        return pages;
    };
    row("first before the third", moved("bacd"), [](PageDocument &d) { d.movePages({0}, 2); });
    // A page's name is its position, so it moves with the page.
    row("last to the front", moved("dabc"), [](PageDocument &d) {
        const QUuid last = idAt(d, 3);
        d.movePages({3}, 0);
        QCOMPARE(d.pageName(last), QStringLiteral("page0"));
    });
    row("first to the end", moved("bcda"), [](PageDocument &d) { d.movePages({0}, 4); });
    row("two keep their order", moved("bdac"), [](PageDocument &d) { d.movePages({3, 1}, 0); });
    row("two to the end", moved("bdac"), [](PageDocument &d) { d.movePages({0, 2}, 4); });
    row("repeats count once", moved("cabd"), [](PageDocument &d) { d.movePages({2, 2}, 0); });
    row("destination past the end", moved("acdb"), [](PageDocument &d) { d.movePages({1}, 9); });
}

// An edit that changes the list is recorded once and announced once, and undo gives back the
// list it started from, identifiers included; one that changes nothing records nothing.
void TestPageDocument::edit()
{
    QFETCH(Edit, edit);
    QFETCH(QStringList, expected);

    PageDocument document;
    document.load(startingPages());
    const QList<Page> before = document.pages();
    QSignalSpy edited(&document, &PageDocument::edited);
    QSignalSpy pagesChanged(&document, &PageDocument::pagesChanged);

    edit(document);

    const bool changes = !expected.isEmpty();
    QCOMPARE(describe(document.pages()), changes ? expected : unchanged);
    QCOMPARE(edited.count(), changes ? 1 : 0);
    QCOMPARE(pagesChanged.count(), changes ? 1 : 0);
    QCOMPARE(document.history().undoStack(), changes ? QList<QList<Page>>{before} : QList<QList<Page>>());
    document.undo();
    QCOMPARE(document.pages(), before);
}

void TestPageDocument::undoAndRedoStepThroughWholeLists()
{
    PageDocument document;
    document.load(startingPages());
    const QList<Page> original = document.pages();
    QSignalSpy edited(&document, &PageDocument::edited);
    QSignalSpy pagesChanged(&document, &PageDocument::pagesChanged);
    // Nothing to step to: nothing at all happens.
    document.undo();
    document.redo();
    QCOMPARE(edited.count(), 0);
    QCOMPARE(pagesChanged.count(), 0);

    document.addPage();
    const QList<Page> withFive = document.pages();
    document.undo();
    QCOMPARE(document.pages(), original);
    QVERIFY(!document.canUndo());
    QVERIFY(document.canRedo());
    document.redo();
    QCOMPARE(document.pages(), withFive);
    QVERIFY(document.canUndo());
    QVERIFY(!document.canRedo());
    // The owner saves and refreshes on each step.
    QCOMPARE(edited.count(), 3);
}

void TestPageDocument::editThatChangesNothingKeepsTheRedoSide()
{
    PageDocument document;
    document.load(startingPages());
    document.setWidget(QStringLiteral("countdown"), idAt(document, 1), 0);
    document.undo();
    document.setWidget(QStringLiteral("plans.all"), idAt(document, 1), 0); // what the slot already holds
    QVERIFY(document.canRedo());
    QVERIFY(!document.canUndo());
}

void TestPageDocument::theOnlyPageIsNeverRemoved()
{
    PageDocument document;
    document.load({startingPages().first()});
    document.removePage(idAt(document, 0));
    QCOMPARE(describe(document.pages()), QStringList{unchanged.first()});
    QVERIFY(!document.canUndo());
}

void TestPageDocument::isStale_data()
{
    QTest::addColumn<Page>("drawn"); // the copy the pictures were drawn from
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("stale");

    const Page drawn(QStringLiteral("halves"), {QStringLiteral("plans.all"), std::nullopt});
    const auto edited = [&](QString layout, QList<Page::Slot> slots) {
        Page page = drawn;
        page.layout = std::move(layout);
        page.slotWidgets = std::move(slots);
        return page;
    };
    const Page same = drawn;
    QTest::newRow("as drawn") << drawn << same << 1 << false;
    QTest::newRow("another widget") << drawn << edited("halves", {QStringLiteral("countdown"), std::nullopt}) << 0
                                    << true;
    QTest::newRow("other slot unchanged")
        << drawn << edited("halves", {QStringLiteral("plans.all"), QStringLiteral("countdown")}) << 0 << false;
    QTest::newRow("another layout") << drawn << edited("thirds", {QStringLiteral("plans.all"), std::nullopt}) << 0
                                    << true;
    QTest::newRow("slot the drawn copy lacks") << drawn << same << 2 << true;
    QTest::newRow("negative slot") << drawn << same << -1 << true;
    QTest::newRow("slot beyond the page counts as empty")
        << drawn << edited("halves", {QStringLiteral("plans.all")}) << 1 << false;
    QTest::newRow("slot gone that held a widget") << drawn << edited("halves", {}) << 0 << true;
    QTest::newRow("page not drawn") << drawn << Page(drawn.layout, drawn.slotWidgets) << 0 << true;
}

void TestPageDocument::isStale()
{
    QFETCH(Page, drawn);
    QFETCH(Page, page);
    QFETCH(int, slot);
    QFETCH(bool, stale);
    QCOMPARE(PageDocument::isStale({drawn}, page, slot), stale);
}

QTEST_GUILESS_MAIN(TestPageDocument)
#include "TestPageDocument.moc"
