// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class CalendarSubscriptions;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The calendars subscribed to by address, each with its switch and the state of its fetches, and
// the commands to add, rename and remove them. Changes take effect at once.
class SubscriptionList : public QWidget
{
    Q_OBJECT
public:
    explicit SubscriptionList(CalendarSubscriptions &subscriptions, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *renameButton() const { return m_rename; }
    QPushButton *removeButton() const { return m_remove; }

private:
    void fill();
    void updateButtons();
    void switchItem(QListWidgetItem *item);
    void addSubscription();
    void renameSelected();
    void removeSelected();
    QString selectedId() const;

    QPointer<CalendarSubscriptions> m_subscriptions;
    QListWidget *m_list = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_remove = nullptr;
    bool m_filling = false;
};
