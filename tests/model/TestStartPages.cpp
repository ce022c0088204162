// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageDescription.h"
#include "TestSupport.h"
#include "model/StartPages.h"

#include <QJsonDocument>
#include <QSet>
#include <QtTest>

using Start = StartPages::Start;
using TestSupport::describe;

namespace {

std::optional<Catalogue> shippedCatalogue()
{
    const QByteArray json = TestSupport::readFile(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json"));
    return Catalogue::fromJson(QJsonDocument::fromJson(json).object());
}

} // namespace

class TestStartPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsPagesForWhatWasFound_data();
    void buildsPagesForWhatWasFound();
    void everyPageIsNewAndUntitled();
    void minimalIsAlwaysOnePage_data();
    void minimalIsAlwaysOnePage();
    void optionsDescribeTheirPages();
    void optionsWithoutCatalogueKeepEmptyTitles();
    void countReadsInWords();
};

void TestStartPages::buildsPagesForWhatWasFound_data()
{
    QTest::addColumn<Start>("start");
    QTest::addColumn<bool>("github");
    QTest::addColumn<QStringList>("plans");
    QTest::addColumn<bool>("wispr");
    QTest::addColumn<bool>("calendar");
    QTest::addColumn<QStringList>("expected");

    const QString day = QStringLiteral("halves[today.date,countdown]");
    const QStringList none;
    const QStringList two{QStringLiteral("claude"), QStringLiteral("codex")};
    const QStringList four{QStringLiteral("claude"), QStringLiteral("codex"), QStringLiteral("grok"),
                           QStringLiteral("gemini")};

    // The first page and the day page would be the same: it is shown once.
    QTest::newRow("nothing found: no page twice")
        << Start::recommended << false << none << false << false << QStringList{day};
    QTest::newRow("GitHub and two plans")
        << Start::recommended << true << two << false << false
        << QStringList{"wideTwo[github.overview,provider.claude,provider.codex]", "full[github.year]",
                       "halves[github.month,github.activity]", "full[plans.all]", day};
    QTest::newRow("GitHub without plans: no second year page")
        << Start::recommended << true << none << false << false
        << QStringList{"full[github.year]", "halves[github.month,github.activity]", day};
    QTest::newRow("GitHub and one plan") << Start::recommended << true << QStringList{"grok"} << false << false
                                         << QStringList{"twoThirdsLeft[github.overview,provider.grok]",
                                                        "full[github.year]", "halves[github.month,github.activity]",
                                                        day};
    QTest::newRow("GitHub and four plans: two on the first page, all on plans.all")
        << Start::recommended << true << four << false << false
        << QStringList{"wideTwo[github.overview,provider.claude,provider.codex]", "full[github.year]",
                       "halves[github.month,github.activity]", "full[plans.all]", day};
    QTest::newRow("Wispr and calendar, nothing else")
        << Start::recommended << false << none << true << true
        << QStringList{"halves[provider.wispr,calendar.next]", "thirds[calendar.next,countdown,provider.wispr]"};
    QTest::newRow("Wispr without calendar")
        << Start::recommended << false << none << true << false
        << QStringList{"halves[provider.wispr,countdown]", "thirds[today.date,countdown,provider.wispr]"};
    QTest::newRow("calendar alone") << Start::recommended << false << none << false << true
                                    << QStringList{"halves[today.date,calendar.next]",
                                                   "halves[calendar.next,countdown]"};
    QTest::newRow("one plan") << Start::recommended << false << QStringList{"codex"} << false << false
                              << QStringList{"twoThirdsLeft[provider.codex,today.date]", day};
    QTest::newRow("one plan and Wispr") << Start::recommended << false << QStringList{"claude"} << true << false
                                        << QStringList{"twoThirdsLeft[provider.claude,provider.wispr]",
                                                       "thirds[today.date,countdown,provider.wispr]"};
    QTest::newRow("two plans") << Start::recommended << false << two << false << false
                               << QStringList{"halves[provider.claude,provider.codex]", "full[plans.all]", day};
    QTest::newRow("three plans") << Start::recommended << false << QStringList{"codex", "grok", "gemini"} << false
                                 << false
                                 << QStringList{"thirds[provider.codex,provider.grok,provider.gemini]",
                                                "full[plans.all]", day};
    QTest::newRow("four plans without GitHub")
        << Start::recommended << false << four << false << false
        << QStringList{"thirds[provider.claude,provider.codex,provider.grok]", "full[plans.all]", day};
    QTest::newRow("everything, calendar and Wispr")
        << Start::recommended << true << two << true << true
        << QStringList{"wideTwo[github.overview,provider.claude,provider.codex]", "full[github.year]",
                       "halves[github.month,github.activity]", "full[plans.all]",
                       "thirds[calendar.next,countdown,provider.wispr]"};
    QTest::newRow("minimal with GitHub and one plan") << Start::minimal << true << QStringList{"claude"} << true << true
                                                      << QStringList{"twoThirdsLeft[github.overview,provider.claude]"};
    QTest::newRow("minimal with nothing") << Start::minimal << false << none << false << false << QStringList{day};
    QTest::newRow("blank ignores everything found")
        << Start::blank << true << four << true << true << QStringList{"halves[-,-]"};
    QTest::newRow("blank with nothing") << Start::blank << false << none << false << false
                                        << QStringList{"halves[-,-]"};
}

void TestStartPages::buildsPagesForWhatWasFound()
{
    QFETCH(Start, start);
    QFETCH(bool, github);
    QFETCH(QStringList, plans);
    QFETCH(bool, wispr);
    QFETCH(bool, calendar);
    QFETCH(QStringList, expected);

    QCOMPARE(describe(StartPages::pages(start, github, plans, wispr, calendar)), expected);
}

void TestStartPages::everyPageIsNewAndUntitled()
{
    const QList<Page> first = StartPages::pages(Start::recommended, true, {QStringLiteral("claude")}, true, true);
    const QList<Page> second = StartPages::pages(Start::recommended, true, {QStringLiteral("claude")}, true, true);
    QSet<QUuid> ids;
    for (const Page &page : first + second) {
        QVERIFY(!page.id.isNull());
        QVERIFY(!page.title.has_value());
        ids.insert(page.id);
    }
    QCOMPARE(ids.size(), first.size() + second.size());
}

void TestStartPages::minimalIsAlwaysOnePage_data()
{
    QTest::addColumn<bool>("github");
    QTest::addColumn<int>("plans");
    QTest::addColumn<bool>("wispr");
    QTest::addColumn<bool>("calendar");

    for (int github = 0; github < 2; ++github) {
        for (int plans = 0; plans <= 4; ++plans) {
            for (int extras = 0; extras < 4; ++extras) {
                const QByteArray name = "github " + QByteArray::number(github) + ", plans " +
                                        QByteArray::number(plans) + ", extras " + QByteArray::number(extras);
                QTest::newRow(name.constData()) << bool(github) << plans << bool(extras & 1) << bool(extras & 2);
            }
        }
    }
}

void TestStartPages::minimalIsAlwaysOnePage()
{
    QFETCH(bool, github);
    QFETCH(int, plans);
    QFETCH(bool, wispr);
    QFETCH(bool, calendar);

    const QStringList ids = QStringList{"claude", "codex", "grok", "gemini"}.mid(0, plans);
    const QList<Page> pages = StartPages::pages(Start::minimal, github, ids, wispr, calendar);
    QCOMPARE(pages.size(), 1);
    // The minimal page is the first page of the recommended set.
    const QList<Page> recommended = StartPages::pages(Start::recommended, github, ids, wispr, calendar);
    QVERIFY(pages.first().hasSameContent(recommended.first()));

    const StartPages::StartOption option = StartPages::option(Start::minimal, pages, shippedCatalogue());
    QCOMPARE(option.count, std::optional<int>(1));
    QCOMPARE(StartPages::countText(*option.count), QStringLiteral("1 page"));
}

void TestStartPages::optionsDescribeTheirPages()
{
    const std::optional<Catalogue> catalogue = shippedCatalogue();
    QVERIFY(catalogue);
    const QStringList plans{QStringLiteral("claude"), QStringLiteral("codex")};

    const QList<Page> recommended = StartPages::pages(Start::recommended, true, plans, false, false);
    const StartPages::StartOption option = StartPages::option(Start::recommended, recommended, catalogue);
    QCOMPARE(option.start, Start::recommended);
    QCOMPARE(option.title, QStringLiteral("Recommended for you"));
    QCOMPARE(option.detail, QStringLiteral("GitHub · Claude · Codex  ·  Year  ·  Month · Activity  ·  AI Plans"
                                           "  ·  Today · Countdown"));
    QCOMPARE(option.count, std::optional<int>(5));

    const QList<Page> minimal = StartPages::pages(Start::minimal, false, {}, true, true);
    const StartPages::StartOption one = StartPages::option(Start::minimal, minimal, catalogue);
    QCOMPARE(one.title, QStringLiteral("Just one page"));
    QCOMPARE(one.detail, QStringLiteral("Wispr Flow · Calendar"));

    const QList<Page> blank = StartPages::pages(Start::blank, false, {}, false, false);
    const StartPages::StartOption empty = StartPages::option(Start::blank, blank, catalogue);
    QCOMPARE(empty.title, QStringLiteral("Start blank"));
    QCOMPARE(empty.detail, QStringLiteral("One empty page to design yourself. Edit Layout opens next."));
    QCOMPARE(empty.count, std::nullopt);
}

void TestStartPages::optionsWithoutCatalogueKeepEmptyTitles()
{
    const QList<Page> pages = StartPages::pages(Start::recommended, true, {}, false, false);
    const StartPages::StartOption option = StartPages::option(Start::recommended, pages, std::nullopt);
    QCOMPARE(option.detail, QStringLiteral("  ·    ·  "));
    QCOMPARE(option.count, std::optional<int>(3));
}

void TestStartPages::countReadsInWords()
{
    QCOMPARE(StartPages::countText(1), QStringLiteral("1 page"));
    QCOMPARE(StartPages::countText(2), QStringLiteral("2 pages"));
    QCOMPARE(StartPages::countText(5), QStringLiteral("5 pages"));
    QCOMPARE(StartPages::name(Start::recommended), QStringLiteral("recommended"));
    QCOMPARE(StartPages::name(Start::minimal), QStringLiteral("minimal"));
    QCOMPARE(StartPages::name(Start::blank), QStringLiteral("blank"));
    QCOMPARE(StartPages::starts(), (QList<Start>{Start::recommended, Start::minimal, Start::blank}));
}

QTEST_GUILESS_MAIN(TestStartPages)
#include "TestStartPages.moc"
