#include "ConnectionsSection.h"

#include "ui/common/ConnectionsPanel.h"
#include "ui/common/UiStyle.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Header and footer line up with the text inside the panel.
constexpr int textIndent = 14;

QLabel *sectionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setContentsMargins(textIndent, 0, textIndent, 0);
    label->setVisible(!text.isEmpty());
    return label;
}

} // namespace

ConnectionsSection::ConnectionsSection(const QString &header, const QString &footer, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_header = sectionLabel(header, this);
    m_panel = new ConnectionsPanel(this);
    m_footer = sectionLabel(footer, this);
    layout->addWidget(m_header);
    layout->addWidget(m_panel);
    layout->addWidget(m_footer);
    applyStyle();
}

void ConnectionsSection::addRow(QWidget *row)
{
    m_panel->addRow(row);
}

void ConnectionsSection::setSeparatorIndent(int indent)
{
    m_panel->setSeparatorIndent(indent);
}

QString ConnectionsSection::header() const
{
    return m_header->text();
}

QString ConnectionsSection::footer() const
{
    return m_footer->text();
}

void ConnectionsSection::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        applyStyle();
    QWidget::changeEvent(event);
}

void ConnectionsSection::applyStyle()
{
    const QColor secondary = UiStyle::secondary(palette());
    for (QLabel *label : {m_header, m_footer}) {
        QPalette labelPalette = label->palette();
        labelPalette.setColor(QPalette::WindowText, secondary);
        label->setPalette(labelPalette);
    }
    m_header->setFont(UiStyle::font(font(), UiStyle::Text::SectionHeader));
    m_footer->setFont(UiStyle::font(font(), UiStyle::Text::Caption));
}
