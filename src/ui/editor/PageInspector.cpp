// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageInspector.h"

#include "AdaptiveGridLayout.h"
#include "EditorState.h"
#include "LayoutOption.h"
#include "model/FrameModel.h"
#include "ui/common/FormSection.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int layoutColumnMinimum = 116;
constexpr int layoutGridSpacing = 10;

} // namespace

PageInspector::PageInspector(FrameModel &model, EditorState &state, const QUuid &page, QWidget *parent)
    : InspectorForm(parent)
    , m_model(model)
    , m_state(state)
    , m_page(page)
{
    addNameSection();
    addLayoutSection();
    addPageCommands();
    addResetSection();
    connect(&model, &FrameModel::pagesChanged, this, &PageInspector::pagesChanged);
    pagesChanged();
}

void PageInspector::addNameSection()
{
    auto *section = new FormSection(QStringLiteral("Page"));
    m_name = new QLineEdit;
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_name->setClearButtonEnabled(true);
    const std::optional<Page> page = m_model.page(m_page);
    m_loadedName = page ? page->title.value_or(QString()) : QString();
    m_name->setText(m_loadedName);
    section->addRow(QStringLiteral("Name"), m_name);
    connect(m_name, &QLineEdit::returnPressed, this, &PageInspector::saveName);
    addSection(section);
}

void PageInspector::addLayoutSection()
{
    auto *section = new FormSection(QStringLiteral("Layout"));
    auto *grid = new QWidget;
    auto *layout = new AdaptiveGridLayout(layoutColumnMinimum, layoutGridSpacing, grid);
    layout->setContentsMargins(0, 4, 0, 4);
    if (m_model.catalogue()) {
        for (const Layout &choice : m_model.catalogue()->layouts) {
            auto *option = new LayoutOption(choice, grid);
            const QString id = choice.id;
            connect(option, &LayoutOption::clicked, this, [this, id] { chooseLayout(id); });
            layout->addWidget(option);
            m_layoutOptions.append(option);
        }
    }
    section->addRow(grid);
    addSection(section);
}

void PageInspector::addPageCommands()
{
    auto *section = new FormSection;
    m_duplicate = section->addButtonRow(QStringLiteral("Duplicate Page"));
    m_delete = section->addButtonRow(QStringLiteral("Delete Page"), true);
    connect(m_duplicate, &QPushButton::clicked, this, &PageInspector::duplicate);
    connect(m_delete, &QPushButton::clicked, this, &PageInspector::remove);
    addSection(section);
}

void PageInspector::addResetSection()
{
    auto *section = new FormSection;
    m_reset = section->addButtonRow(QStringLiteral("Reset to Default Pages"));
    section->setFooter(QStringLiteral("Puts back the five starting pages. You can undo this."));
    connect(m_reset, &QPushButton::clicked, this, &PageInspector::reset);
    addSection(section);
}

void PageInspector::pagesChanged()
{
    const std::optional<Page> page = m_model.page(m_page);
    if (!page)
        return;
    if (m_model.catalogue())
        m_name->setPlaceholderText(m_model.catalogue()->title(*page));
    // An undo or redo of the title shows in the field, unless the user is typing a new one.
    const QString stored = page->title.value_or(QString());
    if (stored != m_loadedName && m_name->text() == m_loadedName)
        m_name->setText(stored);
    m_loadedName = stored;
    for (LayoutOption *option : std::as_const(m_layoutOptions))
        option->setCurrent(option->layout().id == page->layout);
    m_delete->setEnabled(m_model.pages().size() >= 2);
}

void PageInspector::saveName()
{
    m_model.setTitle(m_name->text(), m_page);
}

void PageInspector::chooseLayout(const QString &layoutId)
{
    const std::optional<Layout> layout = m_model.catalogue() ? m_model.catalogue()->layout(layoutId) : std::nullopt;
    if (layout)
        m_model.updatePage(m_page, [&](Page &page) { page.setLayout(*layout); });
}

void PageInspector::duplicate()
{
    m_state.setSelection(m_model.duplicatePage(m_page));
}

void PageInspector::remove()
{
    if (m_model.pages().size() <= 1)
        return;
    m_model.removePage(m_page);
    selectFirstPage();
}

void PageInspector::reset()
{
    m_model.resetPages();
    selectFirstPage();
}

void PageInspector::selectFirstPage()
{
    const QList<Page> &pages = m_model.pages();
    m_state.setSelection(pages.isEmpty() ? std::nullopt : std::optional<QUuid>(pages.first().id));
}
