// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/Defaults.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// Counts the refreshes a model was asked for: every request is announced by refreshRequested();
// without that signal, a first request starts a refresh and a later one marks a follow-up.
class RefreshWatch : public QObject
{
public:
    explicit RefreshWatch(FrameModel &model)
        : m_model(model)
    {
        if (model.metaObject()->indexOfSignal("refreshRequested()") >= 0) {
            m_announced = std::make_unique<QSignalSpy>(&model, SIGNAL(refreshRequested()));
            return;
        }
        connect(&model, &FrameModel::isRefreshingChanged, this, [this] { m_started += m_model.isRefreshing(); });
        connect(&model, &FrameModel::refreshAgainChanged, this, [this] { m_started += m_model.refreshAgain(); });
    }

    int count() const { return m_announced ? int(m_announced->count()) : m_started; }

private:
    FrameModel &m_model;
    std::unique_ptr<QSignalSpy> m_announced;
    int m_started = 0;
};

QList<Page::Slot> slotList(std::initializer_list<const char *> ids)
{
    QList<Page::Slot> result;
    for (const char *id : ids)
        result.append(id ? Page::Slot(QString::fromLatin1(id)) : Page::Slot());
    return result;
}

QStringList layoutsOf(const QList<Page> &pages)
{
    QStringList result;
    for (const Page &page : pages)
        result.append(page.title.value_or(page.layout));
    return result;
}

} // namespace

class TestFrameModelEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void editThatChangesNothingRecordsNothing_data();
    void editThatChangesNothingRecordsNothing();
    void changingEditRecordsSavesAndRefreshesOnce();
    void historyKeepsAtMostOneHundredSnapshots();
    void undoAndRedoRestoreWholeLists();
    void newEditAfterUndoClearsRedo();
    void undoAndRedoWithEmptyStacksDoNothing();
    void editThatChangesNothingKeepsRedo();
    void setWidgetGrowsTheSlots();
    void setTitle_data();
    void setTitle();
    void addPage_data();
    void addPage();
    void duplicatePageInsertsACopyAfterItsSource();
    void removePageNeverEmptiesTheList();
    void movePages_data();
    void movePages();
    void resetTwiceRecordsOnce();
    void resetWithoutCatalogueEmptiesAndUndoes();
    void startNormalisesProvidersAndOnboards();
    void startWithNewProvidersAndSamePagesSavesThem();
    void isStaleComparesWithTheRenderedPages();
    void slotBeyondThePageCountsAsEmpty();
    void viewNameIsThePagePosition();
    void failedSaveKeepsTheEdit();

private:
    std::unique_ptr<FrameModel> makeModel() { return std::make_unique<FrameModel>(); }
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.json")); }
    QJsonObject savedSettings() const
    {
        return QJsonDocument::fromJson(TestSupport::readFile(settingsPath())).object();
    }
    // The user's own "halves" pages, told apart by their titles.
    std::unique_ptr<FrameModel> makeModelWithPages(const QStringList &titles);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameModelEditing::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("model/views")).toUtf8());
    TestSupport::defaultsStore().clear();
}

void TestFrameModelEditing::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<FrameModel> TestFrameModelEditing::makeModelWithPages(const QStringList &titles)
{
    QJsonArray pages;
    for (const QString &title : titles)
        pages.append(
            QJsonObject{{"layout", "halves"}, {"slots", QJsonArray{"plans.all", QJsonValue()}}, {"title", title}});
    const QJsonObject settings{{"providers", QJsonArray{"claude"}}, {"logos", true}, {"pages", pages}};
    TestSupport::writeFile(settingsPath(), QJsonDocument(settings).toJson());
    return makeModel();
}

void TestFrameModelEditing::editThatChangesNothingRecordsNothing_data()
{
    QTest::addColumn<std::function<void(FrameModel &)>>("edit");

    const auto first = [](FrameModel &m) { return m.pages().at(0).id; };
    const auto second = [](FrameModel &m) { return m.pages().at(1).id; };
    QTest::newRow("same widget again") << std::function<void(FrameModel &)>(
        [=](FrameModel &m) { m.setWidget(QStringLiteral("github.year"), first(m), 0); });
    QTest::newRow("title cleared when there is none")
        << std::function<void(FrameModel &)>([=](FrameModel &m) { m.setTitle(QString(), first(m)); });
    QTest::newRow("same layout") << std::function<void(FrameModel &)>([=](FrameModel &m) {
        const Layout halves = *m.catalogue()->layout(QStringLiteral("halves"));
        m.updatePage(second(m), [&](Page &page) { page.setLayout(halves); });
    });
    QTest::newRow("page onto its own place")
        << std::function<void(FrameModel &)>([](FrameModel &m) { m.movePages({1}, 1); });
    QTest::newRow("page onto the place after itself")
        << std::function<void(FrameModel &)>([](FrameModel &m) { m.movePages({0}, 1); });
    QTest::newRow("no positions") << std::function<void(FrameModel &)>([](FrameModel &m) { m.movePages({}, 0); });
    QTest::newRow("out of range") << std::function<void(FrameModel &)>([](FrameModel &m) { m.movePages({-1, 7}, 0); });
    QTest::newRow("unknown page") << std::function<void(FrameModel &)>([](FrameModel &m) {
        const QUuid unknown = QUuid::createUuid();
        m.setWidget(QStringLiteral("countdown"), unknown, 0);
        m.setTitle(QStringLiteral("x"), unknown);
        m.removePage(unknown);
        QVERIFY(!m.duplicatePage(unknown));
    });
    QTest::newRow("negative slot") << std::function<void(FrameModel &)>(
        [=](FrameModel &m) { m.setWidget(QStringLiteral("countdown"), first(m), -1); });
    QTest::newRow("slot beyond the page emptied")
        << std::function<void(FrameModel &)>([=](FrameModel &m) { m.setWidget(std::nullopt, first(m), 3); });
    QTest::newRow("reset on a first run") << std::function<void(FrameModel &)>([](FrameModel &m) { m.resetPages(); });
}

void TestFrameModelEditing::editThatChangesNothingRecordsNothing()
{
    QFETCH(std::function<void(FrameModel &)>, edit);
    auto model = makeModel();
    const RefreshWatch refreshes(*model);
    const QList<Page> before = model->pages();
    edit(*model);
    QCOMPARE(model->pages(), before);
    QVERIFY(model->document().history().undoStack().isEmpty());
    QVERIFY(model->document().history().redoStack().isEmpty());
    QVERIFY(!QFileInfo::exists(settingsPath()));
    QCOMPARE(refreshes.count(), 0);
}

void TestFrameModelEditing::changingEditRecordsSavesAndRefreshesOnce()
{
    auto model = makeModel();
    const RefreshWatch refreshes(*model);
    QSignalSpy pagesChanged(model.get(), &FrameModel::pagesChanged);
    const QList<Page> before = model->pages();

    model->setWidget(QStringLiteral("countdown"), before.at(0).id, 0);

    QCOMPARE(pagesChanged.count(), 1);
    QCOMPARE(model->document().history().undoStack(), QList<QList<Page>>{before});
    QVERIFY(model->canUndo());
    QVERIFY(!model->canRedo());
    QCOMPARE(refreshes.count(), 1);
    const QJsonArray saved = savedSettings().value("pages").toArray();
    QCOMPARE(saved.size(), 2);
    QCOMPARE(saved.at(0).toObject().value("slots").toArray(), QJsonArray{"countdown"});
}

void TestFrameModelEditing::historyKeepsAtMostOneHundredSnapshots()
{
    auto model = makeModel();
    const QUuid id = model->pages().at(0).id;
    for (int edit = 1; edit <= 101; ++edit)
        model->setTitle(QString::number(edit), id);

    QCOMPARE(model->document().history().undoStack().size(), 100);
    // The snapshot taken before the first edit is gone: the oldest one left is the first
    // edit's result.
    QCOMPARE(model->document().history().undoStack().first().at(0).title, QStringLiteral("1"));
    while (model->canUndo())
        model->undo();
    QCOMPARE(model->pages().at(0).title, QStringLiteral("1"));
    QCOMPARE(model->document().history().redoStack().size(), 100);
    while (model->canRedo())
        model->redo();
    QCOMPARE(model->pages().at(0).title, QStringLiteral("101"));
    QCOMPARE(model->document().history().undoStack().size(), 100);
}

void TestFrameModelEditing::undoAndRedoRestoreWholeLists()
{
    auto model = makeModel();
    const QList<Page> original = model->pages();
    model->addPage();
    const QList<Page> withThree = model->pages();
    QCOMPARE(withThree.size(), 3);

    const RefreshWatch refreshes(*model);
    model->undo();
    QCOMPARE(model->pages(), original); // identifiers included
    QCOMPARE(savedSettings().value("pages").toArray().size(), 2);
    QVERIFY(!model->canUndo());
    QVERIFY(model->canRedo());

    model->redo();
    QCOMPARE(model->pages(), withThree);
    QCOMPARE(savedSettings().value("pages").toArray().size(), 3);
    QVERIFY(model->canUndo());
    QVERIFY(!model->canRedo());
    QVERIFY(refreshes.count() >= 1);
}

void TestFrameModelEditing::newEditAfterUndoClearsRedo()
{
    auto model = makeModel();
    const QUuid id = model->pages().at(1).id;
    model->setTitle(QStringLiteral("one"), id);
    model->setTitle(QStringLiteral("two"), id);
    model->undo();
    QCOMPARE(model->document().history().redoStack().size(), 1);

    QSignalSpy redoChanged(&model->document().history(), &UndoHistory::changed);
    model->setTitle(QStringLiteral("three"), id);
    QVERIFY(!model->canRedo());
    QCOMPARE(redoChanged.count(), 1);
    QCOMPARE(model->document().history().undoStack().size(), 2);
    QCOMPARE(model->document().history().undoStack().last().at(1).title, QStringLiteral("one"));
}

void TestFrameModelEditing::undoAndRedoWithEmptyStacksDoNothing()
{
    auto model = makeModel();
    const RefreshWatch refreshes(*model);
    QSignalSpy pagesChanged(model.get(), &FrameModel::pagesChanged);
    model->undo();
    model->redo();
    QCOMPARE(pagesChanged.count(), 0);
    QCOMPARE(refreshes.count(), 0);
    QVERIFY(!QFileInfo::exists(settingsPath()));
}

void TestFrameModelEditing::editThatChangesNothingKeepsRedo()
{
    auto model = makeModel();
    const QUuid id = model->pages().at(1).id;
    model->setWidget(QStringLiteral("github.year"), id, 0);
    model->undo();
    model->setWidget(QStringLiteral("plans.all"), id, 0); // what the slot already holds
    QVERIFY(model->canRedo());
    QVERIFY(!model->canUndo());
}

void TestFrameModelEditing::setWidgetGrowsTheSlots()
{
    auto model = makeModel();
    const Page before = model->pages().at(1);
    QCOMPARE(before.slotWidgets.size(), 2);

    model->setWidget(QStringLiteral("github.year"), before.id, 4);
    const Page after = model->pages().at(1);
    QCOMPARE(after.slotWidgets, slotList({"plans.all", "countdown", nullptr, nullptr, "github.year"}));
    QCOMPARE(after.layout, before.layout);

    model->setWidget(std::nullopt, before.id, 0);
    QCOMPARE(model->pages().at(1).slotWidgets, slotList({nullptr, "countdown", nullptr, nullptr, "github.year"}));
    QCOMPARE(model->document().history().undoStack().size(), 2);
}

void TestFrameModelEditing::setTitle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<QString>("shown");

    QTest::newRow("empty clears") << QString() << std::optional<QString>() << QStringLiteral("Countdown");
    QTest::newRow("two spaces kept") << QStringLiteral("  ") << std::optional<QString>(QStringLiteral("  "))
                                     << QStringLiteral("  ");
    QTest::newRow("untrimmed") << QStringLiteral(" Work ") << std::optional<QString>(QStringLiteral(" Work "))
                               << QStringLiteral(" Work ");
}

void TestFrameModelEditing::setTitle()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QString>, stored);
    QFETCH(QString, shown);

    auto model = makeModel();
    const QUuid id = model->pages().at(1).id;
    model->setWidget(std::nullopt, id, 0); // leaves "countdown" alone to give the derived title
    model->setTitle(QStringLiteral("Mine"), id);
    model->setTitle(text, id);
    QCOMPARE(model->document().page(id)->title, stored);
    QCOMPARE(model->catalogue()->title(*model->document().page(id)), shown);
    QCOMPARE(savedSettings().value("pages").toArray().at(1).toObject().contains("title"), stored.has_value());
}

void TestFrameModelEditing::addPage_data()
{
    QTest::addColumn<int>("afterIndex"); // -1: no identifier, -2: an unknown one
    QTest::addColumn<int>("expectedIndex");

    QTest::newRow("no identifier appends") << -1 << 3;
    QTest::newRow("unknown identifier appends") << -2 << 3;
    QTest::newRow("after the last page appends") << 2 << 3;
    QTest::newRow("after the first page") << 0 << 1;
    QTest::newRow("after the middle page") << 1 << 2;
}

void TestFrameModelEditing::addPage()
{
    QFETCH(int, afterIndex);
    QFETCH(int, expectedIndex);

    auto model = makeModelWithPages({"a", "b", "c"});
    std::optional<QUuid> after;
    if (afterIndex >= 0)
        after = model->pages().at(afterIndex).id;
    else if (afterIndex == -2)
        after = QUuid::createUuid();

    const QUuid added = model->addPage(after);
    QCOMPARE(model->pages().size(), 4);
    const Page &page = model->pages().at(expectedIndex);
    QCOMPARE(page.id, added);
    QCOMPARE(page.layout, QStringLiteral("halves"));
    QCOMPARE(page.slotWidgets, slotList({nullptr, nullptr}));
    QVERIFY(!page.title);
    QCOMPARE(model->catalogue()->title(page), QStringLiteral("Empty page"));
    QCOMPARE(model->document().history().undoStack().size(), 1);
}

void TestFrameModelEditing::duplicatePageInsertsACopyAfterItsSource()
{
    auto model = makeModelWithPages({"a", "b", "c"});
    const Page source = model->pages().at(1);
    const std::optional<QUuid> copy = model->duplicatePage(source.id);

    QVERIFY(copy);
    QCOMPARE(model->pages().size(), 4);
    const Page &made = model->pages().at(2);
    QCOMPARE(made.id, *copy);
    QVERIFY(made.id != source.id);
    QVERIFY(made.hasSameContent(source));
    QCOMPARE(made.title, QStringLiteral("b"));
    QCOMPARE(layoutsOf(model->pages()), QStringList({"a", "b", "b", "c"}));
}

void TestFrameModelEditing::removePageNeverEmptiesTheList()
{
    auto model = makeModelWithPages({"a", "b"});
    model->removePage(model->pages().at(0).id);
    QCOMPARE(layoutsOf(model->pages()), QStringList({"b"}));
    QCOMPARE(model->document().history().undoStack().size(), 1);

    const RefreshWatch refreshes(*model);
    model->removePage(model->pages().at(0).id);
    QCOMPARE(layoutsOf(model->pages()), QStringList({"b"}));
    QCOMPARE(model->document().history().undoStack().size(), 1);
}

void TestFrameModelEditing::movePages_data()
{
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<int>("destination");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("first before the third") << QList<int>{0} << 2 << QStringList{"b", "a", "c", "d"};
    QTest::newRow("last to the front") << QList<int>{3} << 0 << QStringList{"d", "a", "b", "c"};
    QTest::newRow("first to the end") << QList<int>{0} << 4 << QStringList{"b", "c", "d", "a"};
    QTest::newRow("two keep their order") << QList<int>{3, 1} << 0 << QStringList{"b", "d", "a", "c"};
    QTest::newRow("two to the end") << QList<int>{0, 2} << 4 << QStringList{"b", "d", "a", "c"};
    QTest::newRow("repeats count once") << QList<int>{2, 2} << 0 << QStringList{"c", "a", "b", "d"};
    QTest::newRow("destination past the end") << QList<int>{1} << 9 << QStringList{"a", "c", "d", "b"};
}

void TestFrameModelEditing::movePages()
{
    QFETCH(QList<int>, positions);
    QFETCH(int, destination);
    QFETCH(QStringList, expected);

    auto model = makeModelWithPages({"a", "b", "c", "d"});
    const QList<Page> before = model->pages();
    model->movePages(positions, destination);
    QCOMPARE(layoutsOf(model->pages()), expected);
    QCOMPARE(model->document().history().undoStack(), QList<QList<Page>>{before});
    model->undo();
    QCOMPARE(model->pages(), before);
}

void TestFrameModelEditing::resetTwiceRecordsOnce()
{
    auto model = makeModelWithPages({"a"});
    model->resetPages();
    QCOMPARE(model->pages(), model->catalogue()->defaultPages);
    QCOMPARE(model->document().history().undoStack().size(), 1);

    model->resetPages();
    QCOMPARE(model->document().history().undoStack().size(), 1);
    model->undo();
    QCOMPARE(layoutsOf(model->pages()), QStringList({"a"}));
}

void TestFrameModelEditing::resetWithoutCatalogueEmptiesAndUndoes()
{
    qputenv("TESSARINE_VIEWS", m_dir->filePath(QStringLiteral("no-views")).toUtf8());
    auto model = makeModelWithPages({"a", "b"});
    QVERIFY(!model->catalogue());
    model->resetPages();
    QVERIFY(model->pages().isEmpty());
    model->undo();
    QCOMPARE(layoutsOf(model->pages()), QStringList({"a", "b"}));
}

void TestFrameModelEditing::startNormalisesProvidersAndOnboards()
{
    auto model = makeModel();
    QVERIFY(model->needsWelcome());
    const QList<Page> chosen{Page(QStringLiteral("full"), {QStringLiteral("countdown")})};

    model->start(chosen, {"wispr", "claude", "claude", "other"});

    QCOMPARE(model->providers(), QStringList({"claude", "wispr"}));
    QCOMPARE(model->pages(), chosen);
    QCOMPARE(model->document().history().undoStack().size(), 1);
    QVERIFY(Defaults::boolValue(QStringLiteral("onboarded")));
    QVERIFY(!model->needsWelcome());
    const QJsonObject saved = savedSettings();
    QCOMPARE(saved.value("providers").toArray(), QJsonArray({"claude", "wispr"}));
    QCOMPARE(saved.value("pages").toArray().size(), 1);
}

void TestFrameModelEditing::startWithNewProvidersAndSamePagesSavesThem()
{
    auto model = makeModel();
    const RefreshWatch refreshes(*model);

    model->start(model->pages(), {"grok"});
    QVERIFY(model->document().history().undoStack().isEmpty());
    QVERIFY(Defaults::boolValue(QStringLiteral("onboarded")));
    QCOMPARE(savedSettings().value("providers").toArray(), QJsonArray({"grok"}));
    QCOMPARE(refreshes.count(), 1);

    // Neither pages nor providers change: nothing to save.
    QFile::remove(settingsPath());
    model->start(model->pages(), {"grok"});
    QVERIFY(!QFileInfo::exists(settingsPath()));
}

void TestFrameModelEditing::isStaleComparesWithTheRenderedPages()
{
    auto model = makeModel();
    const Page first = model->pages().at(0);
    const Page second = model->pages().at(1);
    // The last run's images count as drawn from the pages loaded at start.
    QVERIFY(!model->isStale(first, 0));
    QVERIFY(!model->isStale(second, 0));
    QVERIFY(!model->isStale(second, 1));
    QVERIFY2(model->isStale(second, 2), "a slot the rendered copy lacks");
    QVERIFY(model->isStale(second, -1));

    model->setWidget(QStringLiteral("github.year"), second.id, 1);
    QVERIFY(!model->isStale(*model->document().page(second.id), 0));
    QVERIFY(model->isStale(*model->document().page(second.id), 1));

    const Layout halves = *model->catalogue()->layout(QStringLiteral("halves"));
    model->updatePage(first.id, [&](Page &page) { page.setLayout(halves); });
    QVERIFY(model->isStale(*model->document().page(first.id), 0));
    QVERIFY(model->isStale(*model->document().page(first.id), 1));

    const QUuid added = model->addPage();
    QVERIFY(model->isStale(*model->document().page(added), 0));
    QVERIFY(model->isStale(*model->document().page(added), 1));

    // Undo back to the loaded pages: nothing is stale any more.
    while (model->canUndo())
        model->undo();
    QVERIFY(!model->isStale(*model->document().page(second.id), 1));
    QVERIFY(!model->isStale(*model->document().page(first.id), 0));
}

void TestFrameModelEditing::slotBeyondThePageCountsAsEmpty()
{
    auto model = makeModelWithPages({"a"}); // slots: plans.all, empty
    const QUuid id = model->pages().at(0).id;
    model->updatePage(id, [](Page &page) { page.slotWidgets.removeLast(); });
    QVERIFY(!model->isStale(*model->document().page(id), 1));
    model->updatePage(id, [](Page &page) { page.slotWidgets.clear(); });
    QVERIFY(model->isStale(*model->document().page(id), 0));
}

void TestFrameModelEditing::viewNameIsThePagePosition()
{
    auto model = makeModelWithPages({"a", "b", "c"});
    QCOMPARE(model->viewName(model->pages().at(0).id), QStringLiteral("page0"));
    QCOMPARE(model->viewName(model->pages().at(2).id), QStringLiteral("page2"));
    QCOMPARE(model->viewName(QUuid::createUuid()), std::nullopt);

    const QUuid last = model->pages().at(2).id;
    model->movePages({2}, 0);
    QCOMPARE(model->viewName(last), QStringLiteral("page0"));
}

void TestFrameModelEditing::failedSaveKeepsTheEdit()
{
    // The screens directory's parent is a plain file: the settings file cannot be written.
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    QVERIFY(TestSupport::writeFile(blocker, "not a directory"));
    qputenv("TESSARINE_SCREENS", (blocker + QStringLiteral("/screens")).toUtf8());

    auto model = makeModel();
    const QUuid id = model->pages().at(0).id;
    model->setTitle(QStringLiteral("Kept"), id);
    QCOMPARE(model->document().page(id)->title, QStringLiteral("Kept"));
    QVERIFY(model->canUndo());
    QCOMPARE(TestSupport::readFile(blocker), QByteArray("not a directory"));
}

QTEST_GUILESS_MAIN(TestFrameModelEditing)
#include "TestFrameModelEditing.moc"
