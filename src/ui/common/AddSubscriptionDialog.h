// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class CalendarSubscriptions;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// Asks for a calendar's address and a name for it, and adds the subscription. The dialog stays
// open with the reason when the address is not one Tessarine fetches or the keyring cannot keep it.
class AddSubscriptionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddSubscriptionDialog(CalendarSubscriptions &subscriptions, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *addressField() const { return m_address; }
    QString problem() const;

public Q_SLOTS:
    void accept() override;

private:
    QPointer<CalendarSubscriptions> m_subscriptions;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_address = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
