// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "InspectorForm.h"

#include <QList>
#include <QUuid>
#include <optional>

class FormSection;
class FrameModel;
class QLabel;
class QPushButton;
class WidgetRow;

// The inspector of a selected slot: which slot of how many, the settings of the countdown or
// calendar widget when the slot holds one, every widget of the catalogue by group to choose
// from, and "Empty This Slot".
class WidgetInspector : public InspectorForm
{
    Q_OBJECT

public:
    WidgetInspector(FrameModel &model, const QUuid &page, int slot, QWidget *parent = nullptr);

    QUuid pageId() const { return m_page; }
    int slot() const { return m_slot; }
    QString slotText() const;
    const QList<WidgetRow *> &rows() const { return m_rows; }
    QPushButton *emptyButton() const { return m_empty; }
    // The countdown or calendar settings now shown, if any.
    FormSection *settings() const { return m_settings; }

private:
    void addSlotSection();
    void addWidgetSections();
    void addEmptySection();
    void pagesChanged();
    void showSettingsFor(const std::optional<QString> &widgetId);
    std::optional<QString> currentWidgetId() const;
    int slotCount() const;

    FrameModel &m_model;
    const QUuid m_page;
    const int m_slot;
    QLabel *m_slotValue = nullptr;
    QList<WidgetRow *> m_rows;
    QPushButton *m_empty = nullptr;
    FormSection *m_settings = nullptr;
    std::optional<QString> m_settingsFor;
};
