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
    void initTestCase();
    void idsAreUniqueAndFound();
    void unknownIdIsNotFound();
    void everyRowIsWholeInEveryPlace_data();
    void everyRowIsWholeInEveryPlace();

private:
    Catalogue m_catalogue;
    QString m_marks;
};

void TestProviders::initTestCase()
{
    const std::optional<QJsonValue> json = JsonFile::read(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json"));
    QVERIFY(json);
    const std::optional<Catalogue> catalogue = Catalogue::fromJson(*json);
    QVERIFY(catalogue);
    m_catalogue = *catalogue;
    QFile marks(QStringLiteral(TESSARINE_TEST_VIEWS "/marks.js"));
    QVERIFY(marks.open(QIODevice::ReadOnly));
    m_marks = QString::fromUtf8(marks.readAll());
}

void TestProviders::idsAreUniqueAndFound()
{
    // Menus, windows, settings and the data document list the providers in the table's order,
    // which the users' stored choices do not depend on; ids and logos must each name one row.
    const QStringList ids = Provider::ids();
    QCOMPARE(QSet<QString>(ids.cbegin(), ids.cend()).size(), ids.size());
    for (const QString &id : ids) {
        const Provider *provider = Provider::find(id);
        QVERIFY2(provider, qPrintable(id));
        QCOMPARE(provider->id, id);
        QCOMPARE(Provider::withLogo(provider->logo), provider);
    }
    QCOMPARE(Provider::tableJson().size(), ids.size());
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

void TestProviders::everyRowIsWholeInEveryPlace()
{
    QFETCH(QString, id);
    const Provider &provider = *Provider::find(id);
    // The message names the place the row is missing from.
    const auto missing = [&](const QString &place) { return (id + QStringLiteral(": no ") + place).toUtf8(); };

    // The row itself: names, the logo and its tints for the looks that draw logos in colour.
    QVERIFY2(!provider.name.isEmpty(), missing(QStringLiteral("name in the table")).constData());
    QVERIFY2(!provider.title.isEmpty(), missing(QStringLiteral("title in the table")).constData());
    QVERIFY2(!provider.logo.isEmpty(), missing(QStringLiteral("logo in the table")).constData());
    const QRegularExpression colour(QStringLiteral("^#[0-9a-f]{6}$"));
    QVERIFY2(colour.match(provider.tintOnLight).hasMatch(),
             missing(QStringLiteral("logo tint on light paper")).constData());
    QVERIFY2(colour.match(provider.tintOnDark).hasMatch(),
             missing(QStringLiteral("logo tint on dark paper")).constData());
    if (provider.detection == Provider::Detection::CommandLineTool)
        QVERIFY2(!provider.tool.isEmpty(), missing(QStringLiteral("command-line tool for the probe")).constData());

    // Its widget in the catalogue: the heading screen readers say and the short name of page
    // titles, which is the table's name, so a page drawn without the catalogue reads the same.
    const std::optional<Widget> widget = m_catalogue.widget(QStringLiteral("provider.") + id);
    QVERIFY2(widget,
             missing(QStringLiteral("widget provider.") + id + QStringLiteral(" in views/widgets.json")).constData());
    QVERIFY2(!widget->title.isEmpty(),
             missing(QStringLiteral("screen-reader title in views/widgets.json")).constData());
    QCOMPARE(widget->shortName, provider.name);
    QCOMPARE(widget->group,
             provider.kind == Provider::Kind::Dictation ? QStringLiteral("Voice") : QStringLiteral("AI plans"));

    // Its logo: the files the windows draw and the page view's mark.
    const QString logos = QStringLiteral(TESSARINE_TEST_RESOURCES "/logos/") + provider.logo;
    QVERIFY2(QFileInfo::exists(logos + QStringLiteral(".svg")), missing(logos + QStringLiteral(".svg")).constData());
    QVERIFY2(
        QFileInfo::exists(logos + QStringLiteral("-color.svg")) == provider.colouredLogoFile,
        qPrintable(id + QStringLiteral(": ") + logos + QStringLiteral("-color.svg disagrees with colouredLogoFile")));
    QVERIFY2(m_marks.contains(QRegularExpression(QStringLiteral("\\b%1:").arg(provider.logo))),
             missing(QStringLiteral("mark in views/marks.js")).constData());
}

QTEST_GUILESS_MAIN(TestProviders)
#include "TestProviders.moc"
