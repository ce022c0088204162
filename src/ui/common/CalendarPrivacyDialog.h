// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class CalendarStore;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;

// Tessarine's own calendar privacy settings: whether Tessarine may read the user's calendars at
// all, which of the calendar files and of the desktop calendar service's calendars it reads, and
// the calendars subscribed to by address. Changes take effect on "Save" (the store then tells its
// observers), except those to subscriptions, which take effect at once.
class CalendarPrivacyDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CalendarPrivacyDialog(CalendarStore &store, QWidget *parent = nullptr);

    // Shows the one privacy dialog, bringing it to the front when it is already open.
    static CalendarPrivacyDialog *present(CalendarStore &store, QWidget *parent = nullptr);

private:
    QWidget *accessChoice();
    QWidget *fileChoice();
    QWidget *subscriptionChoice();
    QWidget *serviceChoice();
    void listFiles();
    void listServiceCalendars();
    void updateFileListEnabled();
    void save();

    QPointer<CalendarStore> m_store;
    QRadioButton *m_allow = nullptr;
    QRadioButton *m_refuse = nullptr;
    QListWidget *m_files = nullptr;
    QLabel *m_noFiles = nullptr;
    QGroupBox *m_serviceBox = nullptr;
    QListWidget *m_serviceCalendars = nullptr;
    bool m_serviceListed = false;
};
