// SPDX-License-Identifier: GPL-3.0-or-later
// Every reader of the providers table says what the table says: the collector's entries and its
// table in the data document, the connections window's rows, the welcome flow's tool rows, the
// page view drawing a provider it has no entry for (the catalogue's widget: TestProviders).

#include "../data/Outcome.h"
#include "PageAudit.h"
#include "kit/Provider.h"
#include "services/ConnectionsState.h"
#include "ui/common/ConnectionRows.h"
#include "ui/welcome/WelcomeRows.h"

#include <QApplication>
#include <QColor>
#include <QJsonDocument>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QDateTime now = QDateTime::fromString(QStringLiteral("2026-03-01T09:15:42.120Z"), Qt::ISODateWithMs);

// A document collected with nothing to ask, so it names the providers only through its table;
// one page holds the provider's widget beside another, so the widget shows its own name.
QJsonObject documentShowing(const QString &widget)
{
    const QJsonArray pages{QJsonObject{{"layout", "halves"}, {"slots", QJsonArray{widget, "today.date"}}}};
    DataCollector collector(pages, {"today.date"}, {}, true, std::nullopt, std::nullopt, std::nullopt);
    collector.setUsageHistory(std::nullopt);
    const Outcome<DataCollector::Result> outcome = outcomeOf(collector.collect(now));
    return outcome.value ? outcome.value->data : QJsonObject();
}

QString text(const QJsonObject &document)
{
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact));
}

} // namespace

class TestProviderConsumers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyConsumerReadsTheTable_data();
    void everyConsumerReadsTheTable();
    void unknownIdIsAnError();

private:
    std::unique_ptr<PageAudit> m_page;
};

void TestProviderConsumers::initTestCase()
{
    m_page = std::make_unique<PageAudit>(QStringLiteral(TESSARINE_TEST_VIEWS));
}

void TestProviderConsumers::everyConsumerReadsTheTable_data()
{
    QTest::addColumn<int>("row");
    for (qsizetype row = 0; row < Provider::all().size(); ++row)
        QTest::newRow(qPrintable(Provider::all().at(row).id)) << int(row);
}

void TestProviderConsumers::everyConsumerReadsTheTable()
{
    QFETCH(int, row);
    const Provider &provider = Provider::all().at(row);

    // The collector: its entry, and the table it writes for the page view.
    const Outcome<QJsonObject> entry = outcomeOf(DataCollector::provider(provider.id, now, 300ms));
    QVERIFY2(entry.value, qPrintable(entry.problem));
    QCOMPARE(entry.value->value("id").toString(), provider.id);
    QCOMPARE(entry.value->value("name").toString(), provider.name);
    QCOMPARE(entry.value->value("logo").toString(), provider.logo);
    const QString widget = QStringLiteral("provider.") + provider.id;
    const QJsonObject document = documentShowing(widget);
    const QJsonObject written = document.value("providers").toArray().at(row).toObject();
    QCOMPARE(written,
             (QJsonObject{{"id", provider.id},
                          {"name", provider.name},
                          {"title", provider.title},
                          {"logo", provider.logo},
                          {"kind", provider.kindName()},
                          {"tints", QJsonObject{{"light", provider.tintOnLight}, {"dark", provider.tintOnDark}}}}));
    QVERIFY(document.value("ai").toObject().value("providers").toArray().isEmpty());

    // The connections window and the welcome flow on a computer without the tool: the row says
    // so in the provider's own name, and the welcome row shows the table's title and logo.
    ConnectionsState state;
    state.refreshClaude();
    const ConnectionRowState connection = ConnectionRows::provider(provider, state, now);
    QCOMPARE(connection.status, ConnectionStatus::notFound);
    QVERIFY2(connection.detail.contains(provider.name), qPrintable(connection.detail));
    const WelcomeRows::Tool tool = WelcomeRows::tools(state).at(row);
    QCOMPARE(tool.id, provider.id);
    QCOMPARE(tool.title, provider.title);
    QCOMPARE(tool.logo, provider.logo);
    QVERIFY(!tool.found);

    // The page view draws the widget with the table's name and logo, tinted as the table says in
    // a theme that tints logos.
    const QString dark = QStringLiteral(R"({"appearance": "dark", "tintedLogos": true, "colours": {}})");
    const QVariant drawn = QCoro::waitFor(
        m_page->evaluateOnPage(text(document), 0,
                               QStringLiteral("(() => { const slot = document.querySelector('#slots > .slot');"
                                              " const logo = slot.querySelector('.kicker svg.logo');"
                                              " return slot.querySelector('.kicker-label').textContent + '|' +"
                                              " (logo ? [...logo.classList].find((c) => c.startsWith('logo-')) + '|' +"
                                              " getComputedStyle(logo).color : 'no logo'); })()"),
                               dark));
    const QColor tint(provider.tintOnDark);
    QCOMPARE(drawn.toString(),
             provider.name + QStringLiteral("|logo-") + provider.logo +
                 QStringLiteral("|rgb(%1, %2, %3)").arg(tint.red()).arg(tint.green()).arg(tint.blue()));
}

void TestProviderConsumers::unknownIdIsAnError()
{
    const Outcome<QJsonObject> entry = outcomeOf(DataCollector::provider(QStringLiteral("wisp"), now, 300ms));
    QVERIFY(!entry.value);
    QCOMPARE(entry.problem, QStringLiteral("Tessarine has no provider called “wisp”."));
    // Nor does the page view draw a widget of a provider nobody knows.
    const QVariant drawn = QCoro::waitFor(m_page->evaluateOnPage(
        text(documentShowing(QStringLiteral("provider.wisp"))), 0,
        QStringLiteral("document.querySelector('#slots > .slot').classList.contains('unknown')")));
    QCOMPARE(drawn, QVariant(true));
}

int main(int argc, char **argv)
{
    PageAudit::prepareEnvironment();
    QApplication app(argc, argv);
    TestProviderConsumers test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestProviderConsumers.moc"
