// SPDX-License-Identifier: GPL-3.0-or-later
#include "Inspector.h"

#include "EditorState.h"
#include "PageInspector.h"
#include "WidgetInspector.h"
#include "model/FrameModel.h"

#include <QVBoxLayout>

Inspector::Inspector(FrameModel &model, EditorState &state, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_state(state)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&state, &EditorState::selectionChanged, this, &Inspector::choose);
    connect(&state, &EditorState::selectedSlotChanged, this, &Inspector::choose);
    // A layout change can bring a selected slot into the layout or leave it outside.
    connect(&model, &FrameModel::pagesChanged, this, &Inspector::choose);
    choose();
}

PageInspector *Inspector::pageInspector() const
{
    return qobject_cast<PageInspector *>(m_current.data());
}

WidgetInspector *Inspector::widgetInspector() const
{
    return qobject_cast<WidgetInspector *>(m_current.data());
}

bool Inspector::isLayoutSlot(const FrameModel &model, const QUuid &page, int slot)
{
    const std::optional<Page> found = model.page(page);
    const std::optional<Layout> layout =
        found && model.catalogue() ? model.catalogue()->layout(found->layout) : std::nullopt;
    const qsizetype columns = layout ? layout->columns.size() : 0;
    return slot >= 0 && slot < columns;
}

void Inspector::choose()
{
    const std::optional<QUuid> selection = m_state.selection();
    const bool hasPage = selection && m_model.page(*selection);
    const std::optional<int> slot = m_state.selectedSlot();
    const int wantedSlot = hasPage && slot && isLayoutSlot(m_model, *selection, *slot) ? *slot : -1;
    const QUuid wantedPage = hasPage ? *selection : QUuid();
    if (m_current && wantedPage == m_page && wantedSlot == m_slot)
        return;

    // The old inspector may be the one whose button started this change: it goes once that
    // event has finished.
    if (m_current) {
        m_current->hide();
        m_current->deleteLater();
    }
    m_current.clear();
    m_page = wantedPage;
    m_slot = wantedSlot;
    if (!hasPage)
        return;
    if (wantedSlot >= 0)
        m_current = new WidgetInspector(m_model, wantedPage, wantedSlot, this);
    else
        m_current = new PageInspector(m_model, m_state, wantedPage, this);
    layout()->addWidget(m_current);
}
