// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageAudit.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

struct Look
{
    QString name;
    QString mode;
    QString themeKey;
};

const QList<Look> looks = {
    {QStringLiteral("mono light"), QStringLiteral("preview"), QStringLiteral("mono-light")},
    {QStringLiteral("mono dark"), QStringLiteral("preview"), QStringLiteral("mono-dark")},
    {QStringLiteral("colour light"), QStringLiteral("preview"), QStringLiteral("colour-light")},
    {QStringLiteral("colour dark"), QStringLiteral("preview"), QStringLiteral("colour-dark")},
    {QStringLiteral("panel"), QStringLiteral("panel"), QString()},
};

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(TestSupport::readFile(path)).object();
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// A script run before the page view's own, replacing one formatting or building helper of the
// page view once it is defined: the page then draws what a faulty page view would.
QString replaceHelper(const QString &object, const QString &replacement)
{
    return QStringLiteral("window.Tess = window.Tess || {}; Object.defineProperty(window.Tess, '%1', { configurable: "
                          "true, get() { return this._%1; }, set(v) { %2; this._%1 = v; } });")
        .arg(object, replacement);
}

} // namespace

// Draws every page of every fixture document in every look and fails on anything the page
// view's audit finds; and shows, on pages made to be wrong, that the audit does find things.
class TestPageAudit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyFixturePageIsClean_data();
    void everyFixturePageIsClean();
    void auditFindsWhatIsWrong_data();
    void auditFindsWhatIsWrong();
    void fallbackCatalogueMatchesTheShippedOne();
    void everyWidgetIsDrawnAndRead();
    void tokenCountsStepUpAUnit_data();
    void tokenCountsStepUpAUnit();
    void timesStayTrueInAStillPicture_data();
    void timesStayTrueInAStillPicture();
    void collectorWordsReadAsAPersonWould_data();
    void collectorWordsReadAsAPersonWould();

private:
    QStringList audit(const QString &dataJson, int page, const Look &look, const PageAudit::Tampering &tampering = {});
    QString pageWith(const QString &widget, const QString &fixture = QStringLiteral("full"));
    QVariant evaluate(const QString &expression);

    std::unique_ptr<PageAudit> m_audit;
    QJsonObject m_themes;
};

void TestPageAudit::initTestCase()
{
    m_audit = std::make_unique<PageAudit>(QStringLiteral(TESSARINE_TEST_VIEWS));
    m_themes = readJson(QStringLiteral(TESSARINE_TEST_VIEWS "/themes.json"));
    for (const Look &look : looks) {
        if (!look.themeKey.isEmpty())
            QVERIFY2(m_themes.value(look.themeKey).isObject(), qPrintable(look.themeKey));
    }
}

QStringList TestPageAudit::audit(const QString &dataJson, int page, const Look &look,
                                 const PageAudit::Tampering &tampering)
{
    std::optional<QString> theme;
    if (!look.themeKey.isEmpty())
        theme = compact(m_themes.value(look.themeKey).toObject());
    return QCoro::waitFor(m_audit->audit(dataJson, page, look.mode, theme, tampering));
}

void TestPageAudit::everyFixturePageIsClean_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("page");
    const QDir fixtures(TestSupport::fixturePath(QStringLiteral("render")));
    const QStringList files = fixtures.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 6);
    // CTest runs the fixtures in groups, to keep each run short: TESSARINE_AUDIT_FIXTURES names
    // the fixtures of one group (by the start of their names), TESSARINE_AUDIT_SKIP those that
    // other groups take; with neither, every fixture is audited.
    const QStringList only =
        qEnvironmentVariable("TESSARINE_AUDIT_FIXTURES").split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QStringList skip = qEnvironmentVariable("TESSARINE_AUDIT_SKIP").split(QLatin1Char(','), Qt::SkipEmptyParts);
    const auto named = [](const QString &file, const QStringList &prefixes) {
        return std::any_of(prefixes.begin(), prefixes.end(), [&](const QString &p) { return file.startsWith(p); });
    };
    for (const QString &file : files) {
        if ((!only.isEmpty() && !named(file, only)) || named(file, skip))
            continue;
        const int pages = int(readJson(fixtures.filePath(file)).value(QStringLiteral("pages")).toArray().size());
        for (int i = 0; i < pages; ++i)
            QTest::addRow("%s page %d", qPrintable(file), i) << fixtures.filePath(file) << i;
    }
}

void TestPageAudit::everyFixturePageIsClean()
{
    QFETCH(QString, fixture);
    QFETCH(int, page);
    const QString data = QString::fromUtf8(TestSupport::readFile(fixture));
    QStringList findings;
    for (const Look &look : looks) {
        for (const QString &finding : audit(data, page, look))
            findings << look.name + QStringLiteral(": ") + finding;
    }
    QVERIFY2(findings.isEmpty(), qPrintable(findings.join(QLatin1Char('\n'))));
}

// One page of a fixture: the widget beside today's date, or with "page:N" the fixture's own page.
QString TestPageAudit::pageWith(const QString &widget, const QString &fixture)
{
    QJsonObject document = readJson(TestSupport::fixturePath(QStringLiteral("render/%1.json").arg(fixture)));
    if (widget.startsWith(QStringLiteral("page:"))) {
        const QJsonValue chosen = document.value(QStringLiteral("pages")).toArray().at(widget.mid(5).toInt());
        document.insert(QStringLiteral("pages"), QJsonArray{chosen});
        return compact(document);
    }
    document.insert(
        QStringLiteral("pages"),
        QJsonArray{QJsonObject{{QStringLiteral("layout"), QStringLiteral("halves")},
                               {QStringLiteral("slots"), QJsonArray{widget, QStringLiteral("today.date")}}}});
    return compact(document);
}

void TestPageAudit::auditFindsWhatIsWrong_data()
{
    QTest::addColumn<QString>("css");
    QTest::addColumn<QString>("prelude");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("look");
    QTest::addColumn<QString>("expected");
    const QString full = QStringLiteral("full");
    const QString hard = QStringLiteral("hard");
    const QString none;
    QTest::newRow("small text") << QStringLiteral(".today-detail { font-size: 22px; }") << none
                                << QStringLiteral("countdown") << full << QStringLiteral("colour light")
                                << QStringLiteral("px, under 26");
    QTest::newRow("faint text") << QStringLiteral(".today-weekday { color: #c8c8c8 !important; }") << none
                                << QStringLiteral("countdown") << full << QStringLiteral("mono light")
                                << QStringLiteral("has contrast");
    QTest::newRow("faint on its own background")
        << QStringLiteral(".today-weekday { background: #222; color: #444 !important; }") << none
        << QStringLiteral("countdown") << full << QStringLiteral("mono light") << QStringLiteral("on #222222");
    QTest::newRow("clipped without ellipsis")
        << QStringLiteral(".today-weekday { width: 40px; overflow: hidden; text-overflow: clip; }") << none
        << QStringLiteral("countdown") << full << QStringLiteral("mono dark") << QStringLiteral("without an ellipsis");
    QTest::newRow("overlap") << QStringLiteral(".today-month { margin-top: -40px; }") << none
                             << QStringLiteral("countdown") << full << QStringLiteral("colour dark")
                             << QStringLiteral("overlaps");
    QTest::newRow("off the pixel grid") << QStringLiteral(".tally-day { margin-left: 0.5px; }") << none
                                        << QStringLiteral("countdown") << full << QStringLiteral("panel")
                                        << QStringLiteral("not on whole pixels");
    // A widget that throws while drawing; the page view registers widgets on window.Tess.
    QTest::newRow("failed widget")
        << none << QStringLiteral("window.Tess = { widgets: { broken() { throw new Error('drawn badly'); } } };")
        << QStringLiteral("broken") << full << QStringLiteral("panel") << QStringLiteral("could not be drawn");
    // What the page means, not only how it looks.
    QTest::newRow("hidden without a count")
        << QStringLiteral(".more { display: none !important; }") << none << QStringLiteral("plans.all") << full
        << QStringLiteral("colour light") << QStringLiteral("hidden without");
    QTest::newRow("unknown drawn as 0") << none
                                        << replaceHelper(
                                               QStringLiteral("format"),
                                               QStringLiteral("v.percent = (x) => Math.round(Number(x) || 0) + '%'"))
                                        << QStringLiteral("provider.grok") << hard << QStringLiteral("mono light")
                                        << QStringLiteral("unknown share is drawn as");
    QTest::newRow("protected text cut") << QStringLiteral(".window-reset { max-width: 20px !important; }") << none
                                        << QStringLiteral("provider.claude") << full << QStringLiteral("colour dark")
                                        << QStringLiteral("cut mid-word");
    QTest::newRow("forecast left unsaid")
        << QStringLiteral(".window-forecast-row { display: none !important; }") << none
        << QStringLiteral("provider.claude") << full << QStringLiteral("colour light")
        << QStringLiteral("runs out before its reset, but the page does not say when");
    QTest::newRow("window that runs out left out")
        << QStringLiteral("[data-window='5-hour'] { display: none !important; }") << none << QStringLiteral("plans.all")
        << full << QStringLiteral("panel") << QStringLiteral("runs out before its reset, but the page leaves");
    QTest::newRow("labels overlap in a picture")
        << QStringLiteral(".grid-label { font-size: 70px !important; }") << none << QStringLiteral("github.year")
        << full << QStringLiteral("mono dark") << QStringLiteral("overlap in");
    QTest::newRow("faint bar track") << QStringLiteral(":root { --track-edge: #e6e6e6 !important; }") << none
                                     << QStringLiteral("provider.claude") << full << QStringLiteral("mono light")
                                     << QStringLiteral("the track of .bar has contrast");
    QTest::newRow("faint heatmap level") << QStringLiteral(":root { --level-1: #dedede !important; }") << none
                                         << QStringLiteral("github.year") << full << QStringLiteral("mono light")
                                         << QStringLiteral("level-1 has contrast");
    QTest::newRow("thin bar") << QStringLiteral(".bar { height: 8px !important; }") << none
                              << QStringLiteral("provider.claude") << full << QStringLiteral("colour light")
                              << QStringLiteral("px, under 13");
    QTest::newRow("far date without its year")
        << none
        << replaceHelper(QStringLiteral("format"),
                         QStringLiteral("const f = v.resetForms; v.resetForms = (s, n) => f(s, n).map((t) => "
                                        "t.replace(/ 20\\d\\d/, ''))"))
        << QStringLiteral("provider.claude") << hard << QStringLiteral("colour light") << QStringLiteral("has no year");
    QTest::newRow("first line disagrees with the grid")
        << none
        << replaceHelper(QStringLiteral("ui"),
                         QStringLiteral("const p = v.protectedText; v.protectedText = (t, c, f) => p(t, c, "
                                        "/kicker-detail/.test(c) ? ['Last 12 months'] : f)"))
        << QStringLiteral("github.year") << full << QStringLiteral("colour dark")
        << QStringLiteral("but the grid shows");
    QTest::newRow("colour emoji on the panel")
        << QStringLiteral(".panel { --fallback: \"Noto Color Emoji\", sans-serif !important; }") << none
        << QStringLiteral("page:64") << hard << QStringLiteral("panel") << QStringLiteral("in colour on the panel");
    QTest::newRow("thin text on the panel")
        << QStringLiteral(".today-month { font-weight: 200 !important; }") << none << QStringLiteral("countdown")
        << full << QStringLiteral("panel") << QStringLiteral("too thin for the panel");
}

void TestPageAudit::auditFindsWhatIsWrong()
{
    QFETCH(QString, css);
    QFETCH(QString, prelude);
    QFETCH(QString, widget);
    QFETCH(QString, fixture);
    QFETCH(QString, look);
    QFETCH(QString, expected);
    const auto chosen = std::find_if(looks.begin(), looks.end(), [&](const Look &l) { return l.name == look; });
    QVERIFY(chosen != looks.end());
    const PageAudit::Tampering tampering{prelude, css};
    const QStringList findings = audit(pageWith(widget, fixture), 0, *chosen, tampering);
    const bool found = std::any_of(findings.begin(), findings.end(),
                                   [&](const QString &finding) { return finding.contains(expected); });
    QVERIFY2(found,
             qPrintable(QStringLiteral("expected “%1” among: %2").arg(expected, findings.join(QLatin1Char('\n')))));
}

QVariant TestPageAudit::evaluate(const QString &expression)
{
    return QCoro::waitFor(m_audit->evaluateOnPage(pageWith(QStringLiteral("countdown")), 0, expression));
}

// The page view keeps the layouts and the widgets' short names for when widgets.json cannot be
// read; they must say what the catalogue says.
void TestPageAudit::fallbackCatalogueMatchesTheShippedOne()
{
    const QJsonObject known =
        QJsonDocument::fromJson(evaluate(QStringLiteral("JSON.stringify({ layouts: Tess.page.KNOWN_LAYOUTS, "
                                                        "shorts: Tess.page.KNOWN_SHORTS })"))
                                    .toString()
                                    .toUtf8())
            .object();
    const QJsonObject catalogue = readJson(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json"));
    const QJsonObject knownLayouts = known.value(QStringLiteral("layouts")).toObject();
    const QJsonArray layouts = catalogue.value(QStringLiteral("layouts")).toArray();
    QCOMPARE(knownLayouts.size(), layouts.size());
    for (const QJsonValue &value : layouts) {
        const QJsonObject layout = value.toObject();
        const QString id = layout.value(QStringLiteral("id")).toString();
        const QJsonArray columns = layout.value(QStringLiteral("columns")).toArray();
        const QJsonArray knownColumns = knownLayouts.value(id).toArray();
        QVERIFY2(knownColumns.size() == columns.size(), qPrintable(id));
        for (qsizetype i = 0; i < columns.size(); ++i)
            QVERIFY2(qAbs(knownColumns.at(i).toDouble() - columns.at(i).toDouble()) < 1e-9, qPrintable(id));
    }
    // A provider's widget is named by the providers table instead (TestProviders).
    const QJsonObject knownShorts = known.value(QStringLiteral("shorts")).toObject();
    const QJsonArray widgets = catalogue.value(QStringLiteral("widgets")).toArray();
    qsizetype named = 0;
    for (const QJsonValue &value : widgets) {
        const QJsonObject widget = value.toObject();
        const QString id = widget.value(QStringLiteral("id")).toString();
        if (id.startsWith(QStringLiteral("provider.")))
            continue;
        ++named;
        QVERIFY2(knownShorts.value(id).toString() == widget.value(QStringLiteral("short")).toString(),
                 qPrintable(id + QStringLiteral(": its short name in KNOWN_SHORTS of views/page.js differs")));
    }
    QCOMPARE(knownShorts.size(), named);
}

// Every widget of the catalogue has its drawing and its words, and every drawing its catalogue
// entry; each one missing is named with the place it is missing from.
void TestPageAudit::everyWidgetIsDrawnAndRead()
{
    const QString missing =
        evaluate(QStringLiteral(
                     "(() => { let catalogue = null; Tess.catalogue((c) => { catalogue = c; });"
                     " if (!catalogue || !catalogue.widgets.length) return 'no catalogue';"
                     " const data = window.TESSARINE.data; const missing = [];"
                     " catalogue.widgets.forEach((w) => {"
                     "  if (!Tess.widgets[w.id] && !Tess.providers.widget(w.id, data, catalogue))"
                     "   missing.push(w.id + ': no drawing in views/widgets-*.js');"
                     "  if (!Tess.text.factsOf(w.id, data)) missing.push(w.id + ': no words in views/text.js'); });"
                     " Object.keys(Tess.widgets).forEach((id) => { if (!catalogue.widgets.some((w) => w.id === id))"
                     "  missing.push(id + ': not in views/widgets.json'); });"
                     " return missing.join('\\n'); })()"))
            .toString();
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
}

void TestPageAudit::tokenCountsStepUpAUnit_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("under a thousand") << 950.0 << QStringLiteral("950");
    QTest::newRow("thousands") << 48210.0 << QStringLiteral("48.2K");
    QTest::newRow("just under 100K") << 99949.0 << QStringLiteral("99.9K");
    QTest::newRow("rounds to 100K") << 99950.0 << QStringLiteral("100K");
    QTest::newRow("999,499") << 999499.0 << QStringLiteral("999K");
    QTest::newRow("999,999 is a million") << 999999.0 << QStringLiteral("1M");
    QTest::newRow("millions") << 12480512.0 << QStringLiteral("12.5M");
    QTest::newRow("999,950,000 is a billion") << 999950000.0 << QStringLiteral("1B");
    QTest::newRow("a trillion") << 1e12 << QStringLiteral("1T");
}

void TestPageAudit::tokenCountsStepUpAUnit()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(evaluate(QStringLiteral("Tess.format.compact(%1)").arg(value, 0, 'f', 0)).toString(), expected);
}

void TestPageAudit::timesStayTrueInAStillPicture_data()
{
    // Reset and activity times against "now", Thursday 19 March 2026 09:15 local time, each as
    // a local date (year, month from 0, day, hour, minute).
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");
    const QString resets =
        QStringLiteral("Tess.format.resetsAt(new Date(%1).getTime() / 1000, new Date(2026, 2, 19, 9, 15))");
    const QString when = QStringLiteral("Tess.format.when(new Date(%1), new Date(2026, 2, 19, 9, 15))");
    QTest::newRow("later today") << resets.arg(QStringLiteral("2026, 2, 19, 14, 30")) << QStringLiteral("resets 14:30");
    QTest::newRow("in under a minute") << resets.arg(QStringLiteral("2026, 2, 19, 9, 15, 40"))
                                       << QStringLiteral("resets 09:15");
    QTest::newRow("after midnight") << resets.arg(QStringLiteral("2026, 2, 20, 1, 5"))
                                    << QStringLiteral("resets Fri 01:05");
    QTest::newRow("days away") << resets.arg(QStringLiteral("2026, 2, 22, 8, 0"))
                               << QStringLiteral("resets Sun 22 Mar");
    QTest::newRow("already passed") << resets.arg(QStringLiteral("2026, 2, 19, 8, 0")) << QStringLiteral("reset 08:00");
    QTest::newRow("more than six months away")
        << resets.arg(QStringLiteral("2027, 3, 23, 8, 0")) << QStringLiteral("resets Fri 23 Apr 2027");
    QTest::newRow("shorter form in a narrow slot")
        << QStringLiteral("Tess.format.resetForms(new Date(2026, 2, 22, 8, 0).getTime() / 1000, new Date(2026, 2, 19, "
                          "9, 15)).join('|')")
        << QStringLiteral("resets Sun 22 Mar|resets Sun|Sun");
    QTest::newRow("no reset time") << QStringLiteral("String(Tess.format.resetsAt(null, new Date()))")
                                   << QStringLiteral("null");
    QTest::newRow("activity today") << when.arg(QStringLiteral("2026, 2, 19, 9, 12")) << QStringLiteral("09:12");
    QTest::newRow("activity this week") << when.arg(QStringLiteral("2026, 2, 17, 16, 40"))
                                        << QStringLiteral("Tue 16:40");
    QTest::newRow("activity long ago") << when.arg(QStringLiteral("2026, 2, 2, 10, 0")) << QStringLiteral("2 Mar");
    QTest::newRow("activity last year") << when.arg(QStringLiteral("2025, 5, 2, 10, 0"))
                                        << QStringLiteral("2 Jun 2025");
}

void TestPageAudit::collectorWordsReadAsAPersonWould_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one dictation") << QStringLiteral("Tess.format.humanLine('words · 1 dictations')")
                                   << QStringLiteral("words · 1\u00a0dictation");
    QTest::newRow("thousands and a streak that never breaks")
        << QStringLiteral("Tess.format.humanLine('words · 1000 wpm · 1000-day streak')")
        << QStringLiteral("words · 1,000\u00a0wpm · 1,000\u2011day streak");
    QTest::newRow("a month of hours") << QStringLiteral("Tess.format.windowNames('720-hour').join('|')")
                                      << QStringLiteral("Monthly|Month");
    QTest::newRow("hours with a short form")
        << QStringLiteral("Tess.format.windowNames('5-hour').join('|')") << QStringLiteral("5-hour|5 h");
    QTest::newRow("a raw key") << QStringLiteral("Tess.format.windowNames('Daily_tokens').join('|')")
                               << QStringLiteral("Daily tokens");
    QTest::newRow("a plan name") << QStringLiteral("Tess.format.humanWord('Enterprise_trial')")
                                 << QStringLiteral("Enterprise trial");
    QTest::newRow("a raw error body")
        << QStringLiteral("Tess.format.humanReason('{\"error\":{\"code\":503,\"message\":\"Down for now. See "
                          "https://status.example.com/1 for details\"}}')")
        << QStringLiteral("Down for now");
    QTest::newRow("an error page")
        << QStringLiteral("Tess.format.humanReason('<html><body>502 Bad Gateway</body></html>')")
        << QStringLiteral("The service answered with an error; it will be asked again at the next refresh");
    QTest::newRow("a fixed reason stands")
        << QStringLiteral("Tess.format.humanReason('Sign in to Codex on this computer')")
        << QStringLiteral("Sign in to Codex on this computer");
    QTest::newRow("an unknown share") << QStringLiteral("Tess.format.percent(null)") << QStringLiteral("—");
    QTest::newRow("a known zero") << QStringLiteral("Tess.format.percent(0)") << QStringLiteral("0%");
}

void TestPageAudit::collectorWordsReadAsAPersonWould()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    QCOMPARE(evaluate(expression).toString(), expected);
}

void TestPageAudit::timesStayTrueInAStillPicture()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    QCOMPARE(evaluate(expression).toString(), expected);
}

int main(int argc, char **argv)
{
    PageAudit::prepareEnvironment();
    QApplication app(argc, argv);
    TestPageAudit test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageAudit.moc"
