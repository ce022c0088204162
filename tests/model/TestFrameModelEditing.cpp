// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
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

    void editThatChangesNothingRecordsNothing();
    void changingEditRecordsSavesAndRefreshesOnce();
    void undoAndRedoSaveAndRefresh();
    void undoAndRedoWithEmptyStacksDoNothing();
    void resetTwiceRecordsOnce();
    void resetWithoutCatalogueEmptiesAndUndoes();
    void startNormalisesProvidersAndOnboards();
    void startWithNewProvidersAndSamePagesSavesThem();
    void isStaleComparesWithTheRenderedPages();
    void failedSaveKeepsTheEdit();

private:
    // The model of the test's own screens directory, with the model tests' catalogue unless told
    // otherwise.
    std::unique_ptr<FrameModel>
    makeModel(const QString &viewsDir = TestSupport::fixturePath(QStringLiteral("model/views")))
    {
        return std::make_unique<FrameModel>(TestSupport::configuration(m_screens, viewsDir));
    }
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.json")); }
    QJsonObject savedSettings() const
    {
        return QJsonDocument::fromJson(TestSupport::readFile(settingsPath())).object();
    }
    // The user's own "halves" pages, told apart by their titles.
    std::unique_ptr<FrameModel>
    makeModelWithPages(const QStringList &titles,
                       const QString &viewsDir = TestSupport::fixturePath(QStringLiteral("model/views")));

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_screens;
};

void TestFrameModelEditing::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_screens = m_dir->filePath(QStringLiteral("screens"));
    TestSupport::defaultsStore().clear();
}

void TestFrameModelEditing::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<FrameModel> TestFrameModelEditing::makeModelWithPages(const QStringList &titles,
                                                                      const QString &viewsDir)
{
    QJsonArray pages;
    for (const QString &title : titles)
        pages.append(
            QJsonObject{{"layout", "halves"}, {"slots", QJsonArray{"plans.all", QJsonValue()}}, {"title", title}});
    const QJsonObject settings{{"providers", QJsonArray{"claude"}}, {"logos", true}, {"pages", pages}};
    TestSupport::writeFile(settingsPath(), QJsonDocument(settings).toJson());
    return makeModel(viewsDir);
}

// Which edits record nothing is the page document's (TestPageDocument); the model adds no save
// and no refresh to one, such as a reset on a first run, which still shows the starting pages.
void TestFrameModelEditing::editThatChangesNothingRecordsNothing()
{
    auto model = makeModel();
    const RefreshWatch refreshes(*model);
    const QList<Page> before = model->pages();
    model->resetPages();
    QCOMPARE(model->pages(), before);
    QVERIFY(!model->canUndo());
    QVERIFY(!QFileInfo::exists(settingsPath()));
    QCOMPARE(refreshes.count(), 0);
}

void TestFrameModelEditing::changingEditRecordsSavesAndRefreshesOnce()
{
    auto model = makeModel();
    const RefreshWatch refreshes(*model);
    model->setWidget(QStringLiteral("countdown"), model->pages().at(0).id, 0);
    QVERIFY(model->canUndo());
    QCOMPARE(refreshes.count(), 1);
    const QJsonArray saved = savedSettings().value("pages").toArray();
    QCOMPARE(saved.size(), 2);
    QCOMPARE(saved.at(0).toObject().value("slots").toArray(), QJsonArray{"countdown"});
}

// Which list undo and redo give back is the page document's (TestPageDocument); the model saves
// and refreshes each step.
void TestFrameModelEditing::undoAndRedoSaveAndRefresh()
{
    auto model = makeModel();
    model->addPage();
    const RefreshWatch refreshes(*model);
    model->undo();
    QCOMPARE(savedSettings().value("pages").toArray().size(), 2);
    model->redo();
    QCOMPARE(savedSettings().value("pages").toArray().size(), 3);
    QVERIFY(refreshes.count() >= 1);
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
    auto model = makeModelWithPages({"a", "b"}, m_dir->filePath(QStringLiteral("no-views")));
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
    // The last run's images count as drawn from the pages loaded at start (the rules of the
    // comparison are the page document's).
    QVERIFY(!model->isStale(first, 0));
    QVERIFY(!model->isStale(second, 1));

    model->setWidget(QStringLiteral("github.year"), second.id, 1);
    QVERIFY(!model->isStale(*model->document().page(second.id), 0));
    QVERIFY(model->isStale(*model->document().page(second.id), 1));

    // Undo back to the loaded pages: nothing is stale any more.
    while (model->canUndo())
        model->undo();
    QVERIFY(!model->isStale(*model->document().page(second.id), 1));
    QVERIFY(!model->isStale(*model->document().page(first.id), 0));
}

void TestFrameModelEditing::failedSaveKeepsTheEdit()
{
    // The screens directory's parent is a plain file: the settings file cannot be written.
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    QVERIFY(TestSupport::writeFile(blocker, "not a directory"));
    m_screens = blocker + QStringLiteral("/screens");

    auto model = makeModel();
    const QUuid id = model->pages().at(0).id;
    model->setTitle(QStringLiteral("Kept"), id);
    QCOMPARE(model->document().page(id)->title, QStringLiteral("Kept"));
    QVERIFY(model->canUndo());
    QCOMPARE(TestSupport::readFile(blocker), QByteArray("not a directory"));
}

QTEST_GUILESS_MAIN(TestFrameModelEditing)
#include "TestFrameModelEditing.moc"
