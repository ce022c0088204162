// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutEditor.h"

#include "EditorState.h"
#include "Inspector.h"
#include "PageCanvas.h"
#include "PageList.h"
#include "SlotEscape.h"
#include "UnavailableView.h"
#include "model/FrameModel.h"
#include "ui/common/SymbolIcon.h"
#include "ui/common/UiStyle.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int sidebarMinimum = 200;
constexpr int sidebarIdeal = 232;
constexpr int sidebarMaximum = 300;
constexpr int inspectorMinimum = 280;
constexpr int inspectorIdeal = 312;
constexpr int inspectorMaximum = 400;
// The least room the three columns are laid out in; a smaller window scrolls them.
constexpr QSize columnsMinimum(960, 540);
const QString editLayoutTitle = QStringLiteral("Edit Layout");

QLabel *toolbarLabel(const QFont &font, const QColor &colour, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

LayoutEditor::LayoutEditor(FrameModel &model, QWidget *parent)
    : QMainWindow(parent)
    , m_model(model)
    , m_state(new EditorState(this))
{
    setWindowTitle(editLayoutTitle);
    setMinimumSize(960, 600);
    resize(1320, 820);
    buildToolbar();
    buildColumns();
    new SlotEscape(*this, *m_state);

    connect(m_state, &EditorState::selectionChanged, this, &LayoutEditor::showCurrentState);
    connect(m_state, &EditorState::showInspectorChanged, this, &LayoutEditor::showCurrentState);
    connect(&model, &FrameModel::pagesChanged, this, &LayoutEditor::showCurrentState);
    connect(&model, &FrameModel::catalogueChanged, this, &LayoutEditor::showCurrentState);
    connect(&model, &FrameModel::historyChanged, this, &LayoutEditor::showCurrentState);
    connect(&model, &FrameModel::isRefreshingChanged, this, &LayoutEditor::updateTitles);
    connect(&model, &FrameModel::manifestChanged, this, &LayoutEditor::updateTitles);
    showCurrentState();
}

LayoutEditor::~LayoutEditor() = default;

void LayoutEditor::buildToolbar()
{
    auto *toolbar = addToolBar(QStringLiteral("Editor"));
    toolbar->setObjectName(QStringLiteral("editorToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setIconSize(QSize(18, 18));
    const QColor iconColour = UiStyle::primary(palette());

    m_undo = toolbar->addAction(SymbolIcon::icon(QStringLiteral("edit-undo"), iconColour), QStringLiteral("Undo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_undo->setToolTip(QStringLiteral("Undo the last change (Ctrl+Z)"));
    connect(m_undo, &QAction::triggered, &m_model, &FrameModel::undo);

    m_redo = toolbar->addAction(SymbolIcon::icon(QStringLiteral("edit-redo"), iconColour), QStringLiteral("Redo"));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    m_redo->setToolTip(QStringLiteral("Redo (Ctrl+Shift+Z)"));
    connect(m_redo, &QAction::triggered, &m_model, &FrameModel::redo);

    toolbar->addSeparator();
    toolbar->addWidget(buildTitleBlock());

    m_layoutMenu = new QMenu(this);
    connect(m_layoutMenu, &QMenu::aboutToShow, this, &LayoutEditor::updateLayoutMenu);
    m_layoutButton = new QToolButton(toolbar);
    m_layoutButton->setText(QStringLiteral("Layout"));
    m_layoutButton->setIcon(SymbolIcon::icon(QStringLiteral("view-dual"), iconColour));
    m_layoutButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_layoutButton->setToolTip(QStringLiteral("Change this page’s layout"));
    m_layoutButton->setPopupMode(QToolButton::InstantPopup);
    m_layoutButton->setMenu(m_layoutMenu);
    m_layoutButton->setFocusPolicy(Qt::TabFocus);
    m_layoutItem = toolbar->addWidget(m_layoutButton);

    m_inspectorToggle = toolbar->addAction(SymbolIcon::icon(QStringLiteral("sidebar-show-right"), iconColour),
                                           QStringLiteral("Inspector"));
    m_inspectorToggle->setCheckable(true);
    m_inspectorToggle->setChecked(true);
    m_inspectorToggle->setToolTip(QStringLiteral("Show or hide the inspector"));
    connect(m_inspectorToggle, &QAction::toggled, m_state, &EditorState::setShowInspector);

    // Toolbar buttons are reachable with Tab like every other control.
    for (QAction *action : {m_undo, m_redo, m_inspectorToggle}) {
        if (QWidget *button = toolbar->widgetForAction(action))
            button->setFocusPolicy(Qt::TabFocus);
    }
}

QWidget *LayoutEditor::buildTitleBlock()
{
    auto *block = new QWidget;
    block->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *layout = new QVBoxLayout(block);
    layout->setContentsMargins(10, 2, 10, 2);
    layout->setSpacing(0);
    QFont titleFont = UiStyle::font(*this, UiStyle::Text::Headline);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.1);
    m_title = toolbarLabel(titleFont, UiStyle::primary(palette()), block);
    m_subtitle = toolbarLabel(UiStyle::font(*this, UiStyle::Text::Caption), UiStyle::secondary(palette()), block);
    // The status line is empty until the first refresh: it keeps its line meanwhile, or the
    // toolbar would grow and move everything under it when "Updating preview…" first shows.
    for (QLabel *label : {m_title, m_subtitle})
        label->setMinimumHeight(label->fontMetrics().height());
    layout->addWidget(m_title);
    layout->addWidget(m_subtitle);
    return block;
}

void LayoutEditor::buildColumns()
{
    m_pageList = new PageList(m_model, *m_state);
    m_pageList->setMinimumWidth(sidebarMinimum);
    m_pageList->setMaximumWidth(sidebarMaximum);

    m_columns = new QSplitter(Qt::Horizontal, this);
    m_columns->setChildrenCollapsible(false);
    m_columns->setHandleWidth(1);
    const QColor line = UiStyle::separator(palette());
    m_columns->setStyleSheet(QStringLiteral("QSplitter::handle { background-color: rgba(%1, %2, %3, %4); }")
                                 .arg(line.red())
                                 .arg(line.green())
                                 .arg(line.blue())
                                 .arg(line.alpha()));
    m_columns->addWidget(m_pageList);
    m_columns->addWidget(buildDetailColumn());
    m_columns->addWidget(buildInspectorColumn());
    m_columns->setStretchFactor(0, 0);
    m_columns->setStretchFactor(1, 1);
    m_columns->setStretchFactor(2, 0);
    // The inspector's rows hold a label and a control side by side; with a larger desktop font
    // they need the room in proportion, or the controls are cut at the right.
    const int inspectorWidth = UiStyle::grownWithFont(inspectorIdeal, font());
    m_columns->setSizes({sidebarIdeal, 1320 - sidebarIdeal - inspectorWidth, inspectorWidth});
    // On a screen smaller than the columns need (a small screen at a large scale) the window
    // fits the screen and the columns scroll, each at the width it needs.
    m_columns->setMinimumSize(columnsMinimum);
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // The columns' own controls take the keyboard; the scrolling follows them.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(m_columns);
    setCentralWidget(scroll);
}

QWidget *LayoutEditor::buildDetailColumn()
{
    m_detail = new QStackedWidget;
    m_noCatalogue =
        new UnavailableView(QStringLiteral("dialog-warning"), QStringLiteral("Can’t Find the Widget List"),
                            QStringLiteral("This copy of Tessarine is missing its views. Reinstall the app."));
    m_noPage = new UnavailableView(QStringLiteral("view-dual"), QStringLiteral("No Page Selected"),
                                   QStringLiteral("Choose a page on the left, or add a new one."));
    connect(m_noPage->addAction(QStringLiteral("Add Page")), &QPushButton::clicked, this, &LayoutEditor::addFirstPage);
    m_canvas = new PageCanvas(m_model, *m_state);
    m_detail->addWidget(m_noCatalogue);
    m_detail->addWidget(m_noPage);
    m_detail->addWidget(m_canvas);
    return m_detail;
}

QWidget *LayoutEditor::buildInspectorColumn()
{
    m_inspectorColumn = new QStackedWidget;
    m_inspectorColumn->setMinimumWidth(UiStyle::grownWithFont(inspectorMinimum, font()));
    m_inspectorColumn->setMaximumWidth(UiStyle::grownWithFont(inspectorMaximum, font()));
    m_inspector = new Inspector(m_model, *m_state);
    m_nothingSelected = new UnavailableView(QStringLiteral("sidebar-show-right"), QStringLiteral("Nothing Selected"));
    // Without the widget list there is nothing to inspect.
    m_noInspector = new QWidget;
    m_inspectorColumn->addWidget(m_inspector);
    m_inspectorColumn->addWidget(m_nothingSelected);
    m_inspectorColumn->addWidget(m_noInspector);
    return m_inspectorColumn;
}

QString LayoutEditor::navigationTitle() const
{
    const std::optional<Page> page = m_state->selection() ? m_model.page(*m_state->selection()) : std::nullopt;
    if (!page || !m_model.catalogue())
        return editLayoutTitle;
    return m_model.catalogue()->title(*page);
}

QString LayoutEditor::navigationSubtitle() const
{
    return m_model.isRefreshing() ? QStringLiteral("Updating preview…") : m_model.statusLine();
}

QWidget *LayoutEditor::currentDetail() const
{
    return m_detail->currentWidget();
}

QWidget *LayoutEditor::currentInspectorColumn() const
{
    return m_state->showInspector() ? m_inspectorColumn->currentWidget() : nullptr;
}

void LayoutEditor::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        contentShown();
}

void LayoutEditor::contentShown()
{
    if (!m_state->selection() && !m_model.pages().isEmpty())
        m_state->setSelection(m_model.pages().first().id);
    if (const std::optional<int> slot = m_model.configuration().editorSlot)
        m_state->setSelectedSlot(*slot);
    // The keys of the canvas (arrows, Delete, Escape) work at once.
    if (m_detail->currentWidget() == m_canvas)
        m_canvas->setFocus(Qt::OtherFocusReason);
}

void LayoutEditor::showCurrentState()
{
    const bool hasCatalogue = m_model.catalogue().has_value();
    const bool hasPage = m_state->selection() && m_model.page(*m_state->selection());

    if (!hasCatalogue)
        m_detail->setCurrentWidget(m_noCatalogue);
    else
        m_detail->setCurrentWidget(hasPage ? static_cast<QWidget *>(m_canvas) : m_noPage);

    if (!hasCatalogue)
        m_inspectorColumn->setCurrentWidget(m_noInspector);
    else
        m_inspectorColumn->setCurrentWidget(hasPage ? static_cast<QWidget *>(m_inspector) : m_nothingSelected);
    m_inspectorColumn->setVisible(m_state->showInspector());
    m_inspectorToggle->setChecked(m_state->showInspector());

    m_layoutItem->setVisible(hasCatalogue && hasPage);
    m_undo->setEnabled(m_model.canUndo());
    m_redo->setEnabled(m_model.canRedo());
    updateTitles();
}

void LayoutEditor::updateTitles()
{
    m_title->setText(navigationTitle());
    m_subtitle->setText(navigationSubtitle());
}

void LayoutEditor::updateLayoutMenu()
{
    m_layoutMenu->clear();
    const std::optional<Page> page = m_state->selection() ? m_model.page(*m_state->selection()) : std::nullopt;
    if (!page || !m_model.catalogue())
        return;
    auto *group = new QActionGroup(m_layoutMenu);
    const QUuid id = page->id;
    for (const Layout &layout : m_model.catalogue()->layouts) {
        QAction *choice = m_layoutMenu->addAction(layout.title);
        choice->setCheckable(true);
        choice->setChecked(layout.id == page->layout);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, id, layout] { m_model.updatePage(id, [&](Page &edited) { edited.setLayout(layout); }); });
    }
}

void LayoutEditor::addFirstPage()
{
    m_state->setSelection(m_model.addPage());
}
