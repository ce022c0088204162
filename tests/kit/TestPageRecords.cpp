// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/Catalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QJsonValue parse(const QByteArray &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text);
    return document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
}

Widget widget(const QString &id, const QString &group, const QString &shortName)
{
    return Widget{id, id, group, shortName, QStringLiteral("icon"), QStringLiteral("text")};
}

Catalogue sampleCatalogue()
{
    Catalogue catalogue;
    catalogue.layouts = {Layout{QStringLiteral("halves"), QStringLiteral("Halves"), {1, 1}},
                         Layout{QStringLiteral("full"), QStringLiteral("Full"), {1}},
                         Layout{QStringLiteral("halves"), QStringLiteral("Duplicate"), {3, 1}}};
    catalogue.widgets = {
        widget(QStringLiteral("github.year"), QStringLiteral("GitHub"), QStringLiteral("Year")),
        widget(QStringLiteral("provider.claude"), QStringLiteral("AI plans"), QStringLiteral("Claude")),
        widget(QStringLiteral("github.month"), QStringLiteral("GitHub"), QStringLiteral("Month")),
        widget(QStringLiteral("github.alias"), QStringLiteral("GitHub"), QStringLiteral("Year"))};
    return catalogue;
}

const QByteArray validCatalogue = R"({
    "layouts": [{"id": "halves", "title": "Halves", "columns": [1, 1.5]}],
    "widgets": [{"id": "countdown", "title": "Countdown", "group": "Your day", "short": "Countdown",
                 "symbol": "appointment-soon", "description": "Days left", "extra": 1}],
    "defaultPages": [{"layout": "halves", "slots": ["countdown", null], "id": "ignored"},
                     {"layout": "full", "slots": [], "title": "Mine"}],
    "version": 7
})";

} // namespace

class TestPageRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageIdentifiersAreNewOnEveryConstructionAndDecode();
    void pageEncodesSlotsAndLeavesOutAbsentTitle();
    void pageDecodeRejectsBadShapes_data();
    void pageDecodeRejectsBadShapes();
    void pageDecodeAcceptsNullTitle();
    void setLayout_data();
    void setLayout();
    void catalogueDecodesAndIgnoresUnknownKeys();
    void catalogueDecodeRejectsBadShapes_data();
    void catalogueDecodeRejectsBadShapes();
    void catalogueRoundTrip();
    void lookupsTakeTheFirstMatch();
    void groupsKeepFirstAppearanceOrder();
    void title_data();
    void title();
};

void TestPageRecords::pageIdentifiersAreNewOnEveryConstructionAndDecode()
{
    const Page made(QStringLiteral("full"), {QStringLiteral("github.year")});
    const Page again(QStringLiteral("full"), {QStringLiteral("github.year")});
    QVERIFY(!made.id.isNull());
    QVERIFY(made.id != again.id);
    QVERIFY(made != again);
    QVERIFY(made.hasSameContent(again));

    const Page copy = made;
    QCOMPARE(copy, made);

    const QByteArray text = R"({"layout": "full", "slots": ["github.year"]})";
    const std::optional<Page> first = Page::fromJson(parse(text));
    const std::optional<Page> second = Page::fromJson(parse(text));
    QVERIFY(first && second);
    QVERIFY(first->hasSameContent(*second));
    QVERIFY(*first != *second);
}

void TestPageRecords::pageEncodesSlotsAndLeavesOutAbsentTitle()
{
    const Page page(QStringLiteral("halves"), {QStringLiteral("github.year"), std::nullopt});
    const QJsonObject json = page.toJson();
    QCOMPARE(json.keys(), QStringList({QStringLiteral("layout"), QStringLiteral("slots")}));
    const QJsonArray slotArray = json.value(u"slots").toArray();
    QCOMPARE(slotArray.size(), 2);
    QCOMPARE(slotArray.at(0).toString(), QStringLiteral("github.year"));
    QVERIFY(slotArray.at(1).isNull());

    const Page titled(QStringLiteral("full"), {}, QStringLiteral("Mine"));
    QCOMPARE(titled.toJson().value(u"title").toString(), QStringLiteral("Mine"));
    const std::optional<Page> decoded = Page::fromJson(titled.toJson());
    QVERIFY(decoded);
    QVERIFY(decoded->hasSameContent(titled));
}

void TestPageRecords::pageDecodeRejectsBadShapes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("no layout") << QByteArray(R"({"slots": []})");
    QTest::newRow("no slots") << QByteArray(R"({"layout": "full"})");
    QTest::newRow("null slots") << QByteArray(R"({"layout": "full", "slots": null})");
    QTest::newRow("layout not a string") << QByteArray(R"({"layout": 3, "slots": []})");
    QTest::newRow("slot is a number") << QByteArray(R"({"layout": "full", "slots": ["a", 2]})");
    QTest::newRow("slot is an object") << QByteArray(R"({"layout": "full", "slots": [{}]})");
    QTest::newRow("title is a number") << QByteArray(R"({"layout": "full", "slots": [], "title": 5})");
    QTest::newRow("not an object") << QByteArray(R"(["full"])");
}

void TestPageRecords::pageDecodeRejectsBadShapes()
{
    QFETCH(QByteArray, json);
    QVERIFY(!Page::fromJson(parse(json)));
}

void TestPageRecords::pageDecodeAcceptsNullTitle()
{
    const std::optional<Page> page = Page::fromJson(parse(R"({"layout": "full", "slots": [null], "title": null})"));
    QVERIFY(page);
    QVERIFY(!page->title);
    QCOMPARE(page->slotWidgets, QList<Page::Slot>{std::nullopt});
}

void TestPageRecords::setLayout_data()
{
    QTest::addColumn<QStringList>("before"); // "-" stands for an empty slot
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("three to two drops the last") << QStringList{"a", "b", "c"} << 2 << QStringList{"a", "b"};
    QTest::newRow("one to three pads with empty") << QStringList{"a"} << 3 << QStringList{"a", "-", "-"};
    QTest::newRow("empty slot stays empty") << QStringList{"-", "b"} << 2 << QStringList{"-", "b"};
    QTest::newRow("to no columns") << QStringList{"a"} << 0 << QStringList{};
}

void TestPageRecords::setLayout()
{
    QFETCH(QStringList, before);
    QFETCH(int, columns);
    QFETCH(QStringList, after);
    const auto toSlots = [](const QStringList &names) {
        QList<Page::Slot> list;
        for (const QString &name : names)
            list.append(name == QStringLiteral("-") ? Page::Slot() : Page::Slot(name));
        return list;
    };

    Page page(QStringLiteral("old"), toSlots(before), QStringLiteral("Kept"));
    const QUuid id = page.id;
    page.setLayout(Layout{QStringLiteral("new"), QStringLiteral("New"), QList<double>(columns, 1.0)});
    QCOMPARE(page.layout, QStringLiteral("new"));
    QCOMPARE(page.slotWidgets, toSlots(after));
    QCOMPARE(page.title, std::optional<QString>(QStringLiteral("Kept")));
    QCOMPARE(page.id, id);
}

void TestPageRecords::catalogueDecodesAndIgnoresUnknownKeys()
{
    const std::optional<Catalogue> catalogue = Catalogue::fromJson(parse(validCatalogue));
    QVERIFY(catalogue);
    QCOMPARE(catalogue->layouts.size(), 1);
    QCOMPARE(catalogue->layouts.first().columns, QList<double>({1, 1.5}));
    QCOMPARE(catalogue->widgets.first().shortName, QStringLiteral("Countdown"));
    QCOMPARE(catalogue->widgets.first().symbol, QStringLiteral("appointment-soon"));
    QCOMPARE(catalogue->defaultPages.size(), 2);
    QCOMPARE(catalogue->defaultPages.at(0).slotWidgets, QList<Page::Slot>({QStringLiteral("countdown"), std::nullopt}));
    QCOMPARE(catalogue->defaultPages.at(1).title, std::optional<QString>(QStringLiteral("Mine")));

    // The same text decoded twice gives pages equal in content but not in identity.
    const std::optional<Catalogue> again = Catalogue::fromJson(parse(validCatalogue));
    QVERIFY(again);
    QVERIFY(*again != *catalogue);
    QCOMPARE(again->layouts, catalogue->layouts);
    QVERIFY(again->defaultPages.at(0).hasSameContent(catalogue->defaultPages.at(0)));
}

void TestPageRecords::catalogueDecodeRejectsBadShapes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("no layouts") << QByteArray(R"({"widgets": [], "defaultPages": []})");
    QTest::newRow("no widgets") << QByteArray(R"({"layouts": [], "defaultPages": []})");
    QTest::newRow("no default pages") << QByteArray(R"({"layouts": [], "widgets": []})");
    QTest::newRow("layouts not a list") << QByteArray(R"({"layouts": {}, "widgets": [], "defaultPages": []})");
    QTest::newRow("column not a number") << QByteArray(
        R"({"layouts": [{"id": "a", "title": "A", "columns": ["1"]}], "widgets": [], "defaultPages": []})");
    QTest::newRow("layout without title")
        << QByteArray(R"({"layouts": [{"id": "a", "columns": [1]}], "widgets": [], "defaultPages": []})");
    QTest::newRow("widget without short")
        << QByteArray(R"({"layouts": [], "widgets": [{"id": "a", "title": "A", "group": "G", "symbol": "s",
                         "description": "d"}], "defaultPages": []})");
    QTest::newRow("widget with null symbol")
        << QByteArray(R"({"layouts": [], "widgets": [{"id": "a", "title": "A", "group": "G", "short": "A",
                         "symbol": null, "description": "d"}], "defaultPages": []})");
    QTest::newRow("bad default page") << QByteArray(
        R"({"layouts": [], "widgets": [], "defaultPages": [{"layout": "full"}]})");
    QTest::newRow("top-level list") << QByteArray(R"([{"layouts": [], "widgets": [], "defaultPages": []}])");
}

void TestPageRecords::catalogueDecodeRejectsBadShapes()
{
    QFETCH(QByteArray, json);
    QVERIFY(!Catalogue::fromJson(parse(json)));
}

void TestPageRecords::catalogueRoundTrip()
{
    Catalogue catalogue = sampleCatalogue();
    catalogue.defaultPages = {Page(QStringLiteral("halves"), {QStringLiteral("github.year"), std::nullopt})};
    const std::optional<Catalogue> decoded = Catalogue::fromJson(catalogue.toJson());
    QVERIFY(decoded);
    QCOMPARE(decoded->layouts, catalogue.layouts);
    QCOMPARE(decoded->widgets, catalogue.widgets);
    QVERIFY(decoded->defaultPages.first().hasSameContent(catalogue.defaultPages.first()));
}

void TestPageRecords::lookupsTakeTheFirstMatch()
{
    const Catalogue catalogue = sampleCatalogue();
    QCOMPARE(catalogue.layout(QStringLiteral("halves"))->title, QStringLiteral("Halves"));
    QVERIFY(!catalogue.layout(QStringLiteral("Halves")));
    QVERIFY(!catalogue.layout(QStringLiteral("missing")));
    QCOMPARE(catalogue.widget(QStringLiteral("github.month"))->shortName, QStringLiteral("Month"));
    QVERIFY(!catalogue.widget(std::nullopt));
    QVERIFY(!catalogue.widget(QStringLiteral("github")));
}

void TestPageRecords::groupsKeepFirstAppearanceOrder()
{
    const QList<Catalogue::Group> groups = sampleCatalogue().groups();
    QCOMPARE(groups.size(), 2);
    QCOMPARE(groups.at(0).name, QStringLiteral("GitHub"));
    QCOMPARE(groups.at(0).widgets.size(), 3);
    QCOMPARE(groups.at(0).widgets.at(0).id, QStringLiteral("github.year"));
    QCOMPARE(groups.at(0).widgets.at(1).id, QStringLiteral("github.month"));
    QCOMPARE(groups.at(0).widgets.at(2).id, QStringLiteral("github.alias"));
    QCOMPARE(groups.at(1).name, QStringLiteral("AI plans"));
    QCOMPARE(groups.at(1).widgets.size(), 1);
    QVERIFY(Catalogue().groups().isEmpty());
}

void TestPageRecords::title_data()
{
    QTest::addColumn<QStringList>("slotIds"); // "-" stands for an empty slot
    QTest::addColumn<QVariant>("ownTitle");   // invalid for none
    QTest::addColumn<QString>("expected");

    QTest::newRow("own title wins") << QStringList{"github.year"} << QVariant(QStringLiteral("Mine"))
                                    << QStringLiteral("Mine");
    QTest::newRow("empty own title is derived")
        << QStringList{"github.year", "provider.claude"} << QVariant(QString()) << QStringLiteral("Year \u00B7 Claude");
    QTest::newRow("empty and unknown slots skipped")
        << QStringList{"-", "nope", "github.month"} << QVariant() << QStringLiteral("Month");
    QTest::newRow("repeated short names once")
        << QStringList{"github.year", "github.alias", "provider.claude", "github.year"} << QVariant()
        << QStringLiteral("Year \u00B7 Claude");
    QTest::newRow("no slots") << QStringList{} << QVariant() << QStringLiteral("Empty page");
    QTest::newRow("only empty and unknown") << QStringList{"-", "nope"} << QVariant() << QStringLiteral("Empty page");
}

void TestPageRecords::title()
{
    QFETCH(QStringList, slotIds);
    QFETCH(QVariant, ownTitle);
    QFETCH(QString, expected);
    QList<Page::Slot> slotList;
    for (const QString &id : slotIds)
        slotList.append(id == QStringLiteral("-") ? Page::Slot() : Page::Slot(id));
    const std::optional<QString> titleValue =
        ownTitle.isValid() ? std::optional<QString>(ownTitle.toString()) : std::nullopt;
    QCOMPARE(sampleCatalogue().title(Page(QStringLiteral("full"), slotList, titleValue)), expected);
}

QTEST_GUILESS_MAIN(TestPageRecords)
#include "TestPageRecords.moc"
