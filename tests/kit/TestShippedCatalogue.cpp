// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped catalogue is data other parts of the program and the page view rely on: these
// checks keep it decodable and complete.

#include "kit/Catalogue.h"
#include "platform/JsonFile.h"

#include <QSet>
#include <QtTest>

class TestShippedCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void namesEveryLayoutTheProgramUses_data();
    void namesEveryLayoutTheProgramUses();
    void namesEveryWidgetTheProgramUses();
    void widgetsAreCompleteAndUnique();
    void groupsIncludeTheColouredOnes();
    void fiveDefaultPagesThatFitTheirLayouts();

private:
    Catalogue m_catalogue;
};

void TestShippedCatalogue::initTestCase()
{
    const std::optional<QJsonValue> json = JsonFile::read(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json"));
    QVERIFY(json);
    const std::optional<Catalogue> catalogue = Catalogue::fromJson(*json);
    QVERIFY(catalogue);
    m_catalogue = *catalogue;
}

void TestShippedCatalogue::namesEveryLayoutTheProgramUses_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("columns");
    // The new-page template and the welcome flow's starting pages place exactly these.
    QTest::newRow("halves") << "halves" << 2;
    QTest::newRow("full") << "full" << 1;
    QTest::newRow("thirds") << "thirds" << 3;
    QTest::newRow("twoThirdsLeft") << "twoThirdsLeft" << 2;
    QTest::newRow("wideTwo") << "wideTwo" << 3;
}

void TestShippedCatalogue::namesEveryLayoutTheProgramUses()
{
    QFETCH(QString, id);
    QFETCH(int, columns);
    const std::optional<Layout> layout = m_catalogue.layout(id);
    QVERIFY(layout);
    QCOMPARE(layout->columns.size(), columns);
    QVERIFY(!layout->title.isEmpty());
}

void TestShippedCatalogue::namesEveryWidgetTheProgramUses()
{
    const QStringList ids{"github.year",     "github.month",   "github.activity", "github.overview", "plans.all",
                          "provider.claude", "provider.codex", "provider.grok",   "provider.gemini", "provider.wispr",
                          "today.date",      "countdown",      "calendar.next"};
    for (const QString &id : ids)
        QVERIFY2(m_catalogue.widget(id), qPrintable(id));
}

void TestShippedCatalogue::widgetsAreCompleteAndUnique()
{
    QSet<QString> ids;
    for (const Widget &widget : m_catalogue.widgets) {
        QVERIFY2(!ids.contains(widget.id), qPrintable(widget.id));
        ids.insert(widget.id);
        QVERIFY2(!widget.title.isEmpty() && !widget.shortName.isEmpty() && !widget.symbol.isEmpty() &&
                     !widget.description.isEmpty(),
                 qPrintable(widget.id));
    }
    QSet<QString> layoutIds;
    for (const Layout &layout : m_catalogue.layouts) {
        QVERIFY2(!layoutIds.contains(layout.id), qPrintable(layout.id));
        layoutIds.insert(layout.id);
        // The editor's preview uses the weights as fractions of the width, so they add up to one.
        double sum = 0;
        for (double column : layout.columns)
            sum += column;
        QVERIFY2(qAbs(sum - 1) < 1e-9, qPrintable(layout.id));
    }
}

void TestShippedCatalogue::groupsIncludeTheColouredOnes()
{
    QStringList names;
    for (const Catalogue::Group &group : m_catalogue.groups())
        names.append(group.name);
    for (const char *name : {"GitHub", "AI plans", "Voice", "Your day"})
        QVERIFY2(names.contains(QLatin1String(name)), name);
}

void TestShippedCatalogue::fiveDefaultPagesThatFitTheirLayouts()
{
    QCOMPARE(m_catalogue.defaultPages.size(), 5);
    for (const Page &page : m_catalogue.defaultPages) {
        const std::optional<Layout> layout = m_catalogue.layout(page.layout);
        QVERIFY2(layout, qPrintable(page.layout));
        QCOMPARE(page.slotWidgets.size(), layout->columns.size());
        for (const Page::Slot &slot : page.slotWidgets)
            QVERIFY(m_catalogue.widget(slot));
        QVERIFY(!page.title);
    }
}

QTEST_GUILESS_MAIN(TestShippedCatalogue)
#include "TestShippedCatalogue.moc"
