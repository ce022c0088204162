// SPDX-License-Identifier: GPL-3.0-or-later
#include "AddSubscriptionDialog.h"

#include "kit/Problem.h"
#include "platform/CalendarSubscriptions.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

namespace {

// Runs the keyring write and reports to the dialog if it is still open.
QCoro::Task<> addThenClose(QPointer<AddSubscriptionDialog> dialog, QPointer<CalendarSubscriptions> subscriptions,
                           QString name, QString address, std::function<void(QString)> failed)
{
    if (!subscriptions)
        co_return;
    try {
        co_await subscriptions->add(name, address);
    } catch (const Problem &error) {
        if (dialog)
            failed(error.message());
        co_return;
    }
    if (dialog)
        dialog->done(QDialog::Accepted);
}

} // namespace

AddSubscriptionDialog::AddSubscriptionDialog(CalendarSubscriptions &subscriptions, QWidget *parent)
    : QDialog(parent)
    , m_subscriptions(&subscriptions)
{
    setWindowTitle(QStringLiteral("Add Calendar Subscription"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("Paste the calendar’s private address in iCal format (your calendar "
                                            "service calls it “secret address” or “subscription link”). It is kept "
                                            "in your keyring."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *form = new QFormLayout;
    m_address = new QLineEdit(this);
    m_address->setPlaceholderText(QStringLiteral("https://… or webcal://…"));
    m_name = new QLineEdit(this);
    m_name->setPlaceholderText(QStringLiteral("Work"));
    form->addRow(QStringLiteral("Address"), m_address);
    form->addRow(QStringLiteral("Name"), m_name);
    layout->addLayout(form);
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->hide();
    layout->addWidget(m_problem);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Add"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &AddSubscriptionDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);
    setMinimumWidth(440);
}

QString AddSubscriptionDialog::problem() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

void AddSubscriptionDialog::accept()
{
    m_buttons->setEnabled(false);
    m_problem->hide();
    const QPointer<AddSubscriptionDialog> self(this);
    addThenClose(self, m_subscriptions, m_name->text(), m_address->text(), [self](const QString &message) {
        self->m_problem->setText(message);
        self->m_problem->show();
        self->m_buttons->setEnabled(true);
    });
}
