// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateAlerts.h"

#include "platform/SignalWait.h"

#include <QAbstractButton>
#include <QCoroTask>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

QList<QAbstractButton *> addButtons(QMessageBox &box, const QStringList &titles)
{
    QList<QAbstractButton *> buttons;
    if (titles.isEmpty()) {
        buttons.append(box.addButton(QMessageBox::Ok));
        return buttons;
    }
    for (qsizetype i = 0; i < titles.size(); ++i)
        buttons.append(box.addButton(titles[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    return buttons;
}

} // namespace

QCoro::Task<int> UpdateAlerts::present(UpdateAlert alert)
{
    QPointer<QMessageBox> box = new QMessageBox();
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(QStringLiteral("Tessarine"));
    box->setText(alert.text);
    box->setInformativeText(alert.informativeText);
    const QList<QAbstractButton *> buttons = addButtons(*box, alert.buttons);
    box->setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    box->setEscapeButton(buttons.last());
    box->setWindowModality(Qt::ApplicationModal);

    box->show();
    box->raise();
    box->activateWindow();
    co_await nextSignal(box.data(), &QMessageBox::finished);

    const int lastIndex = static_cast<int>(buttons.size()) - 1;
    if (!box)
        co_return lastIndex;
    const int chosen = static_cast<int>(buttons.indexOf(box->clickedButton()));
    box->deleteLater();
    co_return chosen < 0 ? lastIndex : chosen;
}

void UpdateAlerts::openDownload(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}
