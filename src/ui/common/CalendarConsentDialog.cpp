// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarConsentDialog.h"

#include "platform/SignalWait.h"

#include <QCoroTask>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// QDialog's own result codes: Rejected (0) comes from Escape and the close button.
constexpr int kAllowed = QDialog::Accepted;
constexpr int kRefused = 2;

QLabel *wrappedLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *questionText(QWidget *parent)
{
    auto *text = new QWidget(parent);
    auto *layout = new QVBoxLayout(text);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel *heading = wrappedLabel(QStringLiteral("Allow Tessarine to read your calendars?"), text);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(wrappedLabel(QStringLiteral("Tessarine shows your events for the next 7 days on the card. Only "
                                                  "their titles and times are used, and they stay on this computer."),
                                   text));
    layout->addWidget(
        wrappedLabel(QStringLiteral("You can change this at any time in Tessarine’s privacy settings."), text));
    return text;
}

QDialogButtonBox *answerButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *refuse = buttons->addButton(QStringLiteral("Don’t Allow"), QDialogButtonBox::RejectRole);
    QPushButton *allow = buttons->addButton(QStringLiteral("Allow"), QDialogButtonBox::AcceptRole);
    allow->setDefault(true);
    QObject::connect(refuse, &QPushButton::clicked, dialog, [dialog] { dialog->done(kRefused); });
    QObject::connect(allow, &QPushButton::clicked, dialog, [dialog] { dialog->done(kAllowed); });
    return buttons;
}

QDialog *buildDialog()
{
    auto *dialog = new QDialog();
    dialog->setWindowTitle(QStringLiteral("Calendar Access"));
    dialog->setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(dialog);
    auto *row = new QHBoxLayout();
    const QIcon icon = QIcon::fromTheme(QStringLiteral("x-office-calendar"));
    if (!icon.isNull()) {
        auto *mark = new QLabel(dialog);
        mark->setPixmap(icon.pixmap(48, 48));
        mark->setAlignment(Qt::AlignTop);
        row->addWidget(mark);
    }
    row->addWidget(questionText(dialog), 1);
    layout->addLayout(row);
    layout->addWidget(answerButtons(dialog));
    dialog->setMinimumWidth(420);
    return dialog;
}

} // namespace

QCoro::Task<std::optional<bool>> CalendarConsentDialog::askForCalendarAccess()
{
    QPointer<QDialog> dialog = buildDialog();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    const std::optional<int> result = co_await nextSignal(dialog.data(), &QDialog::finished);
    if (!dialog)
        co_return std::nullopt;
    dialog->deleteLater();
    if (result == kAllowed)
        co_return true;
    if (result == kRefused)
        co_return false;
    co_return std::nullopt;
}
