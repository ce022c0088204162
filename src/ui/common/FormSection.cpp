#include "FormSection.h"

#include "UiStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

constexpr double panelRadius = 8;
constexpr int rowInsetX = 12;
constexpr int rowInsetY = 7;

QLabel *secondaryLabel(const QString &text, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, UiStyle::secondary(parent->palette()));
    label->setPalette(palette);
    return label;
}

} // namespace

FormSection::FormSection(const QString &header, QWidget *parent)
    : QWidget(parent)
    , m_header(header)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!header.isEmpty()) {
        QLabel *title = secondaryLabel(header, UiStyle::font(*this, UiStyle::Text::SectionHeader), this);
        title->setContentsMargins(rowInsetX, 0, rowInsetX, 0);
        title->setAccessibleName(header);
        layout->addWidget(title);
    }
    m_panel = new QWidget(this);
    m_rows = new QVBoxLayout(m_panel);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(1);
    layout->addWidget(m_panel);
}

void FormSection::addRow(QWidget *row)
{
    auto *holder = new QWidget(m_panel);
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(rowInsetX, rowInsetY, rowInsetX, rowInsetY);
    layout->addWidget(row);
    m_rows->addWidget(holder);
}

void FormSection::addRow(const QString &label, QWidget *field)
{
    auto *row = new QWidget(m_panel);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    auto *title = new QLabel(label, row);
    title->setBuddy(field);
    layout->addWidget(title);
    layout->addWidget(field, 1);
    addRow(row);

    m_labels.append(title);
    int widest = 0;
    for (const QLabel *each : std::as_const(m_labels))
        widest = std::max(widest, each->sizeHint().width());
    for (QLabel *each : std::as_const(m_labels))
        each->setMinimumWidth(widest);
}

QPushButton *FormSection::addButtonRow(const QString &text, bool destructive)
{
    auto *button = new QPushButton(text, m_panel);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    // Without a frame of its own the button shows focus by an outline, which the style sheet draws
    // since it replaces the desktop style's focus frame.
    button->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 1px 3px;"
                                         " border: 1px solid transparent; border-radius: 4px; }"
                                         "QPushButton:focus { border-color: %1; }")
                              .arg(UiStyle::focusRing(this->palette()).name()));
    QPalette palette = button->palette();
    // The link colour, made readable on the panel: a dark palette's highlight colour is not.
    const QColor colour = destructive ? UiStyle::destructive(this->palette())
                                      : UiStyle::link(this->palette(), UiStyle::formPanel(this->palette()));
    palette.setColor(QPalette::ButtonText, colour);
    QColor disabled = UiStyle::secondary(this->palette());
    disabled.setAlphaF(0.35f);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    button->setPalette(palette);
    addRow(button);
    return button;
}

void FormSection::setFooter(const QString &text)
{
    if (!m_footer) {
        m_footer = secondaryLabel(text, UiStyle::font(*this, UiStyle::Text::Caption), this);
        m_footer->setContentsMargins(rowInsetX, 0, rowInsetX, 0);
        layout()->addWidget(m_footer);
    }
    m_footer->setText(text);
}

void FormSection::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = m_panel->geometry();
    QPainterPath shape;
    shape.addRoundedRect(panel, panelRadius, panelRadius);
    painter.fillPath(shape, UiStyle::formPanel(palette()));

    // Hairlines between the rows, starting at the rows' text.
    painter.setPen(QPen(UiStyle::separator(palette()), 1));
    for (int i = 1; i < m_rows->count(); ++i) {
        const QWidget *row = m_rows->itemAt(i)->widget();
        if (!row || !row->isVisible())
            continue;
        const double y = panel.top() + row->geometry().top() - 0.5;
        painter.drawLine(QPointF(panel.left() + rowInsetX, y), QPointF(panel.right(), y));
    }
}
