// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/common/FormSection.h"

class CalendarStore;
class FrameModel;
class QLabel;
class QPushButton;
class QStackedLayout;
class SubscriptionList;

// The calendar widget's settings in the widget inspector, by the state of calendar access:
// a request for it, a note that events are read, or a way to Tessarine's privacy settings.
// Follows every change of access.
class CalendarSettings : public FormSection
{
    Q_OBJECT

public:
    explicit CalendarSettings(FrameModel &model, QWidget *parent = nullptr);

    QPushButton *allowButton() const { return m_allow; }
    QPushButton *privacyButton() const { return m_privacy; }
    SubscriptionList *subscriptions() const { return m_subscriptions; }
    // The text shown for the current state.
    QString message() const;

private:
    QWidget *notDeterminedPage();
    QWidget *fullAccessPage();
    QWidget *deniedPage();
    void showAccess();

    FrameModel &m_model;
    CalendarStore &m_store;
    QStackedLayout *m_pages = nullptr;
    QLabel *m_notDeterminedText = nullptr;
    QLabel *m_fullAccessText = nullptr;
    QLabel *m_deniedText = nullptr;
    QPushButton *m_allow = nullptr;
    QPushButton *m_privacy = nullptr;
    SubscriptionList *m_subscriptions = nullptr;
};
