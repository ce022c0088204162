#include "UrlRecorder.h"
#include "ui/app/UpdateAlerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

QMessageBox *shownMessageBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

QAbstractButton *buttonTitled(QMessageBox &box, const QString &title)
{
    for (QAbstractButton *button : box.buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

} // namespace

class TestUpdateAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersWithChosenButton_data();
    void answersWithChosenButton();
    void singleDefaultButton();
    void downloadOpensInBrowser();
};

void TestUpdateAlerts::answersWithChosenButton_data()
{
    QTest::addColumn<QString>("click"); // empty: closed with Escape
    QTest::addColumn<int>("choice");

    QTest::newRow("Download") << QStringLiteral("Download") << 0;
    QTest::newRow("Later") << QStringLiteral("Later") << 1;
    QTest::newRow("Escape") << QString() << 1;
}

void TestUpdateAlerts::answersWithChosenButton()
{
    QFETCH(QString, click);
    QFETCH(int, choice);

    UpdateAlerts alerts;
    QCoro::Task<int> answer = alerts.present({QStringLiteral("Tessarine 2.0 is available"),
                                              QStringLiteral("You have 1.0."),
                                              {QStringLiteral("Download"), QStringLiteral("Later")}});
    QMessageBox *box = shownMessageBox();
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Tessarine 2.0 is available"));
    QCOMPARE(box->informativeText(), QStringLiteral("You have 1.0."));
    QCOMPARE(box->buttons().size(), 2);
    QCOMPARE(static_cast<QAbstractButton *>(box->defaultButton()), buttonTitled(*box, QStringLiteral("Download")));
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);

    if (click.isEmpty())
        QTest::keyClick(box, Qt::Key_Escape);
    else
        buttonTitled(*box, click)->click();
    QCOMPARE(QCoro::waitFor(answer), choice);
}

void TestUpdateAlerts::singleDefaultButton()
{
    UpdateAlerts alerts;
    QCoro::Task<int> answer =
        alerts.present({QStringLiteral("Tessarine is up to date"), QStringLiteral("You have the latest version."), {}});
    QMessageBox *box = shownMessageBox();
    QVERIFY(box);
    QCOMPARE(box->buttons().size(), 1);
    box->buttons().first()->click();
    QCOMPARE(QCoro::waitFor(answer), 0);
}

void TestUpdateAlerts::downloadOpensInBrowser()
{
    UrlRecorder browser;
    const QUrl release(QStringLiteral("https://tessarine.app/download/Tessarine-2.0.tar.gz"));
    UpdateAlerts().openDownload(release);
    QCOMPARE(browser.opened, QList<QUrl>{release});
    QVERIFY(!shownMessageBox());
}

QTEST_MAIN(TestUpdateAlerts)
#include "TestUpdateAlerts.moc"
