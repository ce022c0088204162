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

private:
    QStringList audit(const QString &dataJson, int page, const Look &look, const PageAudit::Tampering &tampering = {});
    QString pageWith(const QString &widget);

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
    for (const QString &file : files) {
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

// One page of the full fixture: the widget beside today's date.
QString TestPageAudit::pageWith(const QString &widget)
{
    QJsonObject document = readJson(TestSupport::fixturePath(QStringLiteral("render/full.json")));
    document.insert(
        QStringLiteral("pages"),
        QJsonArray{QJsonObject{{QStringLiteral("layout"), QStringLiteral("halves")},
                               {QStringLiteral("slots"), QJsonArray{widget, QStringLiteral("today.date")}}}});
    return compact(document);
}

void TestPageAudit::auditFindsWhatIsWrong_data()
{
    QTest::addColumn<QString>("css");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("look");
    QTest::addColumn<QString>("expected");
    QTest::newRow("small text") << QStringLiteral(".today-detail { font-size: 15px; }") << QStringLiteral("countdown")
                                << QStringLiteral("colour light") << QStringLiteral("px, under 22");
    QTest::newRow("faint text") << QStringLiteral(".today-weekday { color: #c8c8c8 !important; }")
                                << QStringLiteral("countdown") << QStringLiteral("mono light")
                                << QStringLiteral("has contrast");
    QTest::newRow("faint on its own background")
        << QStringLiteral(".today-weekday { background: #222; color: #444 !important; }") << QStringLiteral("countdown")
        << QStringLiteral("mono light") << QStringLiteral("on #222222");
    QTest::newRow("clipped without ellipsis")
        << QStringLiteral(".today-weekday { width: 40px; overflow: hidden; text-overflow: clip; }")
        << QStringLiteral("countdown") << QStringLiteral("mono dark") << QStringLiteral("without an ellipsis");
    QTest::newRow("overlap") << QStringLiteral(".today-weekday { margin-top: -60px; }") << QStringLiteral("countdown")
                             << QStringLiteral("colour dark") << QStringLiteral("overlaps");
    QTest::newRow("off the pixel grid") << QStringLiteral(".tally-day { margin-left: 0.5px; }")
                                        << QStringLiteral("countdown") << QStringLiteral("panel")
                                        << QStringLiteral("on the panel");
    // A widget that throws while drawing; the page view registers widgets on window.Tess.
    QTest::newRow("failed widget") << QStringLiteral("") << QStringLiteral("broken") << QStringLiteral("panel")
                                   << QStringLiteral("could not be drawn");
}

void TestPageAudit::auditFindsWhatIsWrong()
{
    QFETCH(QString, css);
    QFETCH(QString, widget);
    QFETCH(QString, look);
    QFETCH(QString, expected);
    const auto chosen = std::find_if(looks.begin(), looks.end(), [&](const Look &l) { return l.name == look; });
    QVERIFY(chosen != looks.end());
    PageAudit::Tampering tampering{QString(), css};
    if (widget == QLatin1String("broken"))
        tampering.prelude =
            QStringLiteral("window.Tess = { widgets: { broken() { throw new Error('drawn badly'); } } };");
    const QStringList findings = audit(pageWith(widget), 0, *chosen, tampering);
    const bool found = std::any_of(findings.begin(), findings.end(),
                                   [&](const QString &finding) { return finding.contains(expected); });
    QVERIFY2(found,
             qPrintable(QStringLiteral("expected “%1” among: %2").arg(expected, findings.join(QLatin1Char('\n')))));
}

int main(int argc, char **argv)
{
    PageAudit::prepareEnvironment();
    QApplication app(argc, argv);
    TestPageAudit test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageAudit.moc"
