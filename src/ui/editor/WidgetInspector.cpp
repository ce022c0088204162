// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetInspector.h"

#include "CalendarSettings.h"
#include "CountdownSettings.h"
#include "WidgetRow.h"
#include "model/FrameModel.h"
#include "ui/common/FormSection.h"
#include "ui/common/UiStyle.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QString countdownId = QStringLiteral("countdown");
const QString calendarId = QStringLiteral("calendar.next");

} // namespace

WidgetInspector::WidgetInspector(FrameModel &model, const QUuid &page, int slot, QWidget *parent)
    : InspectorForm(parent)
    , m_model(model)
    , m_page(page)
    , m_slot(slot)
{
    addSlotSection();
    addWidgetSections();
    addEmptySection();
    connect(&model, &FrameModel::pagesChanged, this, &WidgetInspector::pagesChanged);
    pagesChanged();
}

void WidgetInspector::addSlotSection()
{
    auto *section = new FormSection;
    m_slotValue = new QLabel;
    m_slotValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette colours = m_slotValue->palette();
    colours.setColor(QPalette::WindowText, UiStyle::secondary(palette()));
    m_slotValue->setPalette(colours);
    section->addRow(QStringLiteral("Slot"), m_slotValue);
    addSection(section);
}

void WidgetInspector::addWidgetSections()
{
    if (!m_model.catalogue())
        return;
    for (const Catalogue::Group &group : m_model.catalogue()->groups()) {
        auto *section = new FormSection(group.name);
        for (const Widget &widget : group.widgets) {
            auto *row = new WidgetRow(widget);
            const QString id = widget.id;
            connect(row, &WidgetRow::clicked, this, [this, id] { m_model.setWidget(id, m_page, m_slot); });
            section->addRow(row);
            m_rows.append(row);
        }
        addSection(section);
    }
}

void WidgetInspector::addEmptySection()
{
    auto *section = new FormSection;
    m_empty = section->addButtonRow(QStringLiteral("Empty This Slot"), true);
    connect(m_empty, &QPushButton::clicked, this, [this] { m_model.setWidget(std::nullopt, m_page, m_slot); });
    addSection(section);
}

std::optional<QString> WidgetInspector::currentWidgetId() const
{
    const std::optional<Page> page = m_model.page(m_page);
    if (!page || m_slot < 0 || m_slot >= page->slotWidgets.size())
        return std::nullopt;
    return page->slotWidgets.at(m_slot);
}

int WidgetInspector::slotCount() const
{
    const std::optional<Page> page = m_model.page(m_page);
    const std::optional<Layout> layout =
        page && m_model.catalogue() ? m_model.catalogue()->layout(page->layout) : std::nullopt;
    return layout ? int(layout->columns.size()) : 1;
}

QString WidgetInspector::slotText() const
{
    return m_slotValue->text();
}

void WidgetInspector::pagesChanged()
{
    const std::optional<QString> current = currentWidgetId();
    m_slotValue->setText(QStringLiteral("%1 of %2").arg(m_slot + 1).arg(slotCount()));
    for (WidgetRow *row : std::as_const(m_rows))
        row->setCurrent(current && row->widget().id == *current);
    m_empty->setEnabled(current.has_value());
    showSettingsFor(current);
}

void WidgetInspector::showSettingsFor(const std::optional<QString> &widgetId)
{
    const std::optional<QString> wanted =
        widgetId == countdownId || widgetId == calendarId ? widgetId : std::optional<QString>();
    if (m_settings && wanted == m_settingsFor)
        return;
    if (m_settings) {
        m_settings->hide();
        m_settings->deleteLater();
        m_settings = nullptr;
    }
    m_settingsFor = wanted;
    if (!wanted)
        return;
    if (*wanted == countdownId)
        m_settings = new CountdownSettings(m_model);
    else
        m_settings = new CalendarSettings(m_model);
    // Right under the slot section, above the widget list.
    insertSection(1, m_settings);
}
