// SPDX-License-Identifier: GPL-3.0-or-later
// A page view kept loaded and handed new input draws exactly the picture a fresh load of
// "page.html" draws for the same input, whatever was drawn in it before.

#include "TestSupport.h"
#include "kit/Problem.h"
#include "render/PageRenderer.h"
#include "render/ThemeFile.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QString viewsDir = QStringLiteral(TESSARINE_TEST_VIEWS);

QJsonObject readObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// One picture to draw: a page in a look ("mono", "colour" or "panel") and appearance.
struct Picture
{
    int page = 0;
    QString look;
    bool dark = false;
};

QCoro::Task<QImage> draw(PageRenderer &renderer, QString data, Picture picture)
{
    const bool panel = picture.look == QStringLiteral("panel");
    const std::optional<QString> theme =
        panel ? std::nullopt : ThemeFile::themeJson(ThemeFile::read(viewsDir), picture.look, picture.dark);
    try {
        co_return co_await renderer.render(
            data, picture.page, panel ? QStringLiteral("panel") : QStringLiteral("preview"), theme, panel ? 1 : 3);
    } catch (const Problem &) {
        co_return QImage();
    }
}

qsizetype differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    qsizetype count = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x)
            count += l[x] != r[x];
    }
    return count;
}

} // namespace

Q_DECLARE_METATYPE(QList<Picture>)

class TestKeptPageView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void keptEqualsFresh_data();
    void keptEqualsFresh();

private:
    QString m_data;
};

void TestKeptPageView::initTestCase()
{
    // The full fixture document with the catalogue's five starting pages: every family of widget.
    QJsonObject document = readObject(QStringLiteral(TESSARINE_TEST_FIXTURES "/render/full.json"));
    const QJsonArray pages = readObject(viewsDir + QStringLiteral("/widgets.json")).value("defaultPages").toArray();
    QCOMPARE(pages.size(), 5);
    document.insert(QStringLiteral("pages"), pages);
    m_data = QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact));
}

void TestKeptPageView::keptEqualsFresh_data()
{
    QTest::addColumn<QList<Picture>>("pictures");
    const QString mono = QStringLiteral("mono");
    const QString colour = QStringLiteral("colour");
    const QString panel = QStringLiteral("panel");
    QTest::newRow("pages forward, appearances alternating")
        << QList<Picture>{{0, colour, false}, {0, colour, true}, {1, colour, false}, {2, colour, true}};
    QTest::newRow("pages backward, looks mixed")
        << QList<Picture>{{4, mono, true}, {3, colour, false}, {1, mono, false}, {0, mono, true}};
    QTest::newRow("dark first, then the same page light")
        << QList<Picture>{{2, mono, true}, {2, mono, false}, {4, colour, true}};
    QTest::newRow("panel pages") << QList<Picture>{{1, panel, false}, {0, panel, false}, {3, panel, false}};
}

void TestKeptPageView::keptEqualsFresh()
{
    QFETCH(QList<Picture>, pictures);
    PageRenderer kept(viewsDir);
    kept.setKeepLoaded(true);
    PageRenderer fresh(viewsDir);
    for (const Picture &picture : pictures) {
        const QImage redrawn = QCoro::waitFor(draw(kept, m_data, picture));
        const QImage loaded = QCoro::waitFor(draw(fresh, m_data, picture));
        QVERIFY(!redrawn.isNull() && !loaded.isNull());
        const qsizetype differing = differingPixels(redrawn, loaded);
        QVERIFY2(differing == 0, qPrintable(QStringLiteral("page %1 %2 %3: %4 pixels differ")
                                                .arg(picture.page)
                                                .arg(picture.look, picture.dark ? QStringLiteral("dark") : QString())
                                                .arg(differing)));
    }
    // The kept view was loaded once and redrawn for every later picture; the other loaded each.
    QCOMPARE(kept.pageViewLoads(), 1);
    QCOMPARE(fresh.pageViewLoads(), int(pictures.size()));
}

int main(int argc, char **argv)
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication application(argc, argv);
    TestKeptPageView test;
    return QTest::qExec(&test, argc, argv);
}
#include "TestKeptPageView.moc"
