// SPDX-License-Identifier: GPL-3.0-or-later
// The providers table is read by the collector, the model, the connections window and the welcome
// flow; these checks keep it whole and in step with the shipped catalogue and logos.

#include "kit/Catalogue.h"
#include "kit/Provider.h"
#include "platform/JsonFile.h"

#include <QFileInfo>
#include <QSet>
#include <QtTest>

class TestProviders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixedOrder();
    void idsAreUniqueAndFound();
    void unknownIdIsNotFound();
    void toolsAreNamedWhereTheyAreProbed();
    void everyProviderHasItsWidgetAndLogo();
};

void TestProviders::fixedOrder()
{
    // The order of menus, windows, settings and the data document.
    QCOMPARE(Provider::ids(), (QStringList{"claude", "codex", "grok", "gemini", "wispr"}));
    QStringList titles;
    QStringList names;
    for (const Provider &provider : Provider::all()) {
        titles.append(provider.title);
        names.append(provider.name);
    }
    QCOMPARE(titles, (QStringList{"Claude", "Codex (ChatGPT)", "Grok", "Gemini", "Wispr Flow"}));
    QCOMPARE(names, (QStringList{"Claude", "Codex", "Grok", "Gemini", "Wispr Flow"}));
}

void TestProviders::idsAreUniqueAndFound()
{
    const QStringList ids = Provider::ids();
    QCOMPARE(QSet<QString>(ids.cbegin(), ids.cend()).size(), ids.size());
    for (const QString &id : ids) {
        const Provider *provider = Provider::find(id);
        QVERIFY2(provider, qPrintable(id));
        QCOMPARE(provider->id, id);
    }
}

void TestProviders::unknownIdIsNotFound()
{
    QCOMPARE(Provider::find(QStringLiteral("copilot")), nullptr);
    QCOMPARE(Provider::find(QString()), nullptr);
    // Ids are exact: a widget id or another spelling is not a provider id.
    QCOMPARE(Provider::find(QStringLiteral("provider.claude")), nullptr);
    QCOMPARE(Provider::find(QStringLiteral("Claude")), nullptr);
}

void TestProviders::toolsAreNamedWhereTheyAreProbed()
{
    for (const Provider &provider : Provider::all()) {
        if (provider.detection == Provider::Detection::CommandLineTool)
            QVERIFY2(!provider.tool.isEmpty(), qPrintable(provider.id));
    }
    // Only the plans count as plans; dictation is shown apart from them.
    QCOMPARE(Provider::find(QStringLiteral("wispr"))->kind, Provider::Kind::Dictation);
    QCOMPARE(Provider::find(QStringLiteral("gemini"))->kind, Provider::Kind::AiPlan);
    QVERIFY(!Provider::find(QStringLiteral("gemini"))->hasUsageReport());
}

void TestProviders::everyProviderHasItsWidgetAndLogo()
{
    const std::optional<QJsonValue> json = JsonFile::read(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json"));
    QVERIFY(json);
    const std::optional<Catalogue> catalogue = Catalogue::fromJson(*json);
    QVERIFY(catalogue);
    QSet<QString> widgetIds;
    for (const Widget &widget : catalogue->widgets)
        widgetIds.insert(widget.id);

    for (const Provider &provider : Provider::all()) {
        const QString widget = QStringLiteral("provider.") + provider.id;
        QVERIFY2(widgetIds.contains(widget), qPrintable(widget + QStringLiteral(" is not in the catalogue")));
        const QString logo =
            QStringLiteral(TESSARINE_TEST_RESOURCES "/logos/") + provider.logo + QStringLiteral(".svg");
        QVERIFY2(QFileInfo::exists(logo), qPrintable(logo + QStringLiteral(" is missing")));
    }
}

QTEST_GUILESS_MAIN(TestProviders)
#include "TestProviders.moc"
