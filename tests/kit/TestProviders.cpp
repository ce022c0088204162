// SPDX-License-Identifier: GPL-3.0-or-later
// The providers table is read by the collector, the model, the connections window, the welcome
// flow and the page view; these checks keep every row whole and in step with the shipped
// catalogue, logos and marks, and name the place a row is missing from.

#include "kit/Catalogue.h"
#include "kit/Provider.h"
#include "platform/JsonFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

class TestProviders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idsAreUniqueAndFound();
    void unknownIdIsNotFound();
    void everyRowIsWholeInEveryPlace_data();
    void everyRowIsWholeInEveryPlace();
};

void TestProviders::idsAreUniqueAndFound()
{
    // Ids and logos each name one row.
    const QStringList ids = Provider::ids();
    QCOMPARE(QSet<QString>(ids.cbegin(), ids.cend()).size(), ids.size());
    for (const QString &id : ids) {
        const Provider *provider = Provider::find(id);
        QVERIFY2(provider, qPrintable(id));
        QCOMPARE(provider->id, id);
        QCOMPARE(Provider::withLogo(provider->logo), provider);
    }
}

void TestProviders::unknownIdIsNotFound()
{
    QCOMPARE(Provider::find(QStringLiteral("copilot")), nullptr);
    QCOMPARE(Provider::find(QString()), nullptr);
    // Ids are exact: a widget id or another spelling is not a provider id.
    QCOMPARE(Provider::find(QStringLiteral("provider.claude")), nullptr);
    QCOMPARE(Provider::find(QStringLiteral("Claude")), nullptr);
    QCOMPARE(Provider::withLogo(QStringLiteral("github")), nullptr);
}

void TestProviders::everyRowIsWholeInEveryPlace_data()
{
    QTest::addColumn<QString>("id");
    for (const Provider &provider : Provider::all())
        QTest::newRow(qPrintable(provider.id)) << provider.id;
}

// What a row needs in the table, the catalogue, the logos and the page view's marks; every one
// missing is named with its place. A provider widget's short name is the row's name, so a page
// drawn without the catalogue reads the same.
void TestProviders::everyRowIsWholeInEveryPlace()
{
    QFETCH(QString, id);
    const Provider &row = *Provider::find(id);
    const std::optional<Catalogue> catalogue = Catalogue::fromJson(
        JsonFile::read(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json")).value_or(QJsonValue()));
    QVERIFY(catalogue);
    const std::optional<Widget> widget = catalogue->widget(QStringLiteral("provider.") + id);
    QFile marks(QStringLiteral(TESSARINE_TEST_VIEWS "/marks.js"));
    QVERIFY(marks.open(QIODevice::ReadOnly));
    const QRegularExpression colour(QStringLiteral("^#[0-9a-f]{6}$"));
    const QString logo = QStringLiteral(TESSARINE_TEST_RESOURCES "/logos/") + row.logo;
    const bool plan = row.kind == Provider::Kind::AiPlan;

    const QList<std::pair<bool, QString>> places{
        {!row.name.isEmpty() && !row.title.isEmpty(), QStringLiteral("name or title in src/kit/Provider.cpp")},
        {colour.match(row.tintOnLight).hasMatch() && colour.match(row.tintOnDark).hasMatch(),
         QStringLiteral("logo tints in src/kit/Provider.cpp")},
        {row.detection != Provider::Detection::CommandLineTool || !row.tool.isEmpty(),
         QStringLiteral("tool for the probe in src/kit/Provider.cpp")},
        {widget.has_value(), QStringLiteral("widget provider.") + id + QStringLiteral(" in views/widgets.json")},
        {widget && !widget->title.isEmpty(), QStringLiteral("screen-reader title in views/widgets.json")},
        {widget && widget->shortName == row.name, QStringLiteral("short name equal to its name in views/widgets.json")},
        {widget && widget->group == (plan ? QStringLiteral("AI plans") : QStringLiteral("Voice")),
         QStringLiteral("group of its kind in views/widgets.json")},
        {QFileInfo::exists(logo + QStringLiteral(".svg")), logo + QStringLiteral(".svg")},
        {QFileInfo::exists(logo + QStringLiteral("-color.svg")) == row.colouredLogoFile,
         logo + QStringLiteral("-color.svg as colouredLogoFile says")},
        {QString::fromUtf8(marks.readAll()).contains(QRegularExpression(QStringLiteral("\\b%1:").arg(row.logo))),
         QStringLiteral("mark in views/marks.js")},
    };
    QStringList missing;
    for (const auto &[present, place] : places) {
        if (!present)
            missing.append(place);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(id + QStringLiteral(": no ") + missing.join(QStringLiteral("; no "))));
}

QTEST_GUILESS_MAIN(TestProviders)
#include "TestProviders.moc"
