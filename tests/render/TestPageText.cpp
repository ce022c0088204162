// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QTest>
#include <cmath>

// The page's text as the renderer returns it beside the picture: the shipped page view's words
// for a fixture page, in reading order, with the facts the picture has no room for and the
// failure and empty states.
class TestPageText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readsThePageAsAPersonWould_data();
    void readsThePageAsAPersonWould();
    void saysARunOutOnlyWhereItCanBe_data();
    void saysARunOutOnlyWhereItCanBe();

private:
    std::unique_ptr<PageRenderer> m_renderer;
};

void TestPageText::initTestCase()
{
    m_renderer = std::make_unique<PageRenderer>(QStringLiteral(TESSARINE_TEST_VIEWS));
}

void TestPageText::readsThePageAsAPersonWould_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("mode");
    // Each must be in the text, in this order.
    QTest::addColumn<QStringList>("phrases");

    QTest::newRow("plans, one by one")
        << "full" << 2 << "preview"
        << QStringList{"AI Plans · Claude · Codex\nUpdated 09:15 · Thu 19 Mar",
                       "All AI Plans",
                       "Claude, 5-hour window, 42 percent used, runs out at about 10:50 at this pace, resets at 11:29.",
                       "Gemini: not available. Gemini CLI has no usage report yet.",
                       "Codex (ChatGPT)",
                       "Codex, Last 30 days: 12,480,512 tokens, 6-day streak."};
    QTest::newRow("the day, in the panel's words too")
        << "full" << 4 << "panel"
        << QStringList{"Next 7 Days", "Next event: Stand-up, today 09:30.", "Wed 25 Mar 16:05: Train to Leeds.",
                       "Today's Date\nToday is Thursday 19 March 2026.", "Countdown: Tessarine 1.0 in 22 days"};
    // A quarter of the page shows one of Claude's three windows; the text has all three.
    QTest::newRow("windows the picture leaves out")
        << "extreme" << 14 << "preview"
        << QStringList{"Claude, this week, 68 percent used", "Claude, Opus this week, 85 percent used, nearly used up",
                       "Grok, Voice, 0 percent used."};
    // An unknown share is never read out as 0; the week's events beyond the first twelve are counted.
    QTest::newRow("unknown share") << "hard" << 4 << "preview" << QStringList{"Grok, weekly, usage unknown."};
    QTest::newRow("the rest of a busy week")
        << "hard" << 12 << "preview" << QStringList{"21 events in the next 7 days.", "And 9 more events this week."};
    QTest::newRow("nothing connected") << "missing" << 13 << "preview"
                                       << QStringList{"GitHub: Contribution Year\nNo GitHub data yet.",
                                                      "GitHub: This Month\nNo GitHub data yet."};
    QTest::newRow("empty and unknown slots")
        << "missing" << 32 << "preview"
        << QStringList{"Empty slot. Choose a widget in the layout editor.",
                       "Unknown widget weather.today. Choose another one in the layout editor.", "Empty slot."};
    QTest::newRow("quiet states") << "quiet" << 19 << "preview"
                                  << QStringList{"Next 7 Days\nNothing in the next 7 days. Your calendar is clear.",
                                                 "GitHub: Contribution Year"};
}

void TestPageText::readsThePageAsAPersonWould()
{
    QFETCH(QString, fixture);
    QFETCH(int, page);
    QFETCH(QString, mode);
    QFETCH(QStringList, phrases);

    const QString data = QString::fromUtf8(TestSupport::fixture(QStringLiteral("render/%1.json").arg(fixture)));
    const RenderedPage rendered = QCoro::waitFor(m_renderer->renderWithText(data, page, mode, std::nullopt, 1));
    QVERIFY(!rendered.picture.isNull());
    qsizetype from = 0;
    for (const QString &phrase : phrases) {
        const qsizetype at = rendered.text.indexOf(phrase, from);
        QVERIFY2(
            at >= 0,
            qPrintable(QStringLiteral("“%1” not after position %2 in:\n%3").arg(phrase).arg(from).arg(rendered.text)));
        from = at + phrase.size();
    }
}

void TestPageText::saysARunOutOnlyWhereItCanBe_data()
{
    // Claude's 5-hour window on the plans page, updated 09:15:42 and resetting at 11:29.
    QTest::addColumn<double>("runsOutAfter"); // seconds after the update
    QTest::addColumn<double>("resetsAfter");  // NaN: no reset known
    QTest::addColumn<double>("used");
    QTest::addColumn<QString>("said"); // the time said, or empty for none
    const double none = std::nan("");
    QTest::newRow("between the update and the reset") << 5700.0 << 8040.0 << 42.0 << "10:50";
    QTest::newRow("before the update") << -7200.0 << 8040.0 << 42.0 << "";
    QTest::newRow("after the reset") << 9000.0 << 8040.0 << 42.0 << "";
    QTest::newRow("no reset, within the week") << 7200.0 << none << 42.0 << "11:15";
    QTest::newRow("no reset, in 2100") << 4102444800.0 - 1773911742.12 << none << 42.0 << "";
    QTest::newRow("a negative share") << 5700.0 << 8040.0 << -30.0 << "";
    QTest::newRow("a share above 100") << 5700.0 << 8040.0 << 130.0 << "";
}

void TestPageText::saysARunOutOnlyWhereItCanBe()
{
    QFETCH(double, runsOutAfter);
    QFETCH(double, resetsAfter);
    QFETCH(double, used);
    QFETCH(QString, said);
    const double updated = 1773911742.12;
    QByteArray data = TestSupport::fixture(QStringLiteral("render/full.json"));
    const auto put = [&data](const char *was, const char *key, double value) {
        const QByteArray figure = std::isnan(value) ? QByteArray("null") : QByteArray::number(value, 'f', 2);
        data.replace(QByteArray(was), QByteArray(key).append(figure));
    };
    put("\"runsOutAt\": 1773917442.12", "\"runsOutAt\": ", updated + runsOutAfter);
    put("\"resetsAt\": 1773919782.12", "\"resetsAt\": ", updated + resetsAfter);
    put("\"usedPercent\": 42", "\"usedPercent\": ", used);
    const RenderedPage rendered =
        QCoro::waitFor(m_renderer->renderWithText(QString::fromUtf8(data), 2, "preview", std::nullopt, 1));
    const qsizetype fact = rendered.text.indexOf("Claude, 5-hour window");
    QVERIFY2(fact >= 0, qPrintable(rendered.text));
    const QString sentence = rendered.text.mid(fact, rendered.text.indexOf(QLatin1Char('.'), fact) - fact);
    QVERIFY2(said.isEmpty() ? !sentence.contains("runs out") : sentence.contains("runs out at about " + said),
             qPrintable(sentence));
}

int main(int argc, char **argv)
{
    // The fixtures' times are read in the time zone they were written for.
    qputenv("TZ", "Europe/London");
    PageRenderer::prepareEnvironment();
    QApplication app(argc, argv);
    TestPageText test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageText.moc"
