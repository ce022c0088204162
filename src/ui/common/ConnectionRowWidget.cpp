// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionRowWidget.h"

#include "ConnectionMark.h"
#include "ConnectionStatusBadge.h"
#include "UiStyle.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

constexpr int markGap = 12;
constexpr int rowPadding = 4;
constexpr int titleGap = 8;

// The text with the spaces inside “quotes” made unbreakable, so that a quoted command such as
// “gh auth login” is never split over two lines.
QString withQuotesKeptWhole(const QString &text)
{
    QString result = text;
    bool quoted = false;
    for (QChar &c : result) {
        if (c == QChar(0x201C))
            quoted = true;
        else if (c == QChar(0x201D))
            quoted = false;
        else if (quoted && c == QLatin1Char(' '))
            c = QChar(QChar::Nbsp);
    }
    return result;
}

} // namespace

ConnectionRowWidget::ConnectionRowWidget(ConnectionMark *mark, const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_mark(mark)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, rowPadding, 0, rowPadding);
    layout->setSpacing(markGap);
    m_mark->setParent(this);
    layout->addWidget(m_mark, 0, Qt::AlignVCenter);
    layout->addWidget(textColumn(title), 1);
    m_actionSlot = new QHBoxLayout();
    m_actionSlot->setSpacing(6);
    layout->addLayout(m_actionSlot);
    applyFonts();
}

QWidget *ConnectionRowWidget::textColumn(const QString &title)
{
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // A row made taller by its controls keeps title and detail together in its middle.
    layout->addStretch(1);

    auto *heading = new QHBoxLayout();
    heading->setSpacing(titleGap);
    m_title = new QLabel(title, column);
    m_title->setTextFormat(Qt::PlainText);
    m_badge = new ConnectionStatusBadge(column);
    heading->addWidget(m_title);
    heading->addWidget(m_badge, 0, Qt::AlignVCenter);
    heading->addStretch(1);
    layout->addLayout(heading);

    // Texts from the tools and GitHub are shown as they stand, never as markup.
    m_detail = new QLabel(column);
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setWordWrap(true);
    layout->addWidget(m_detail);
    layout->addStretch(1);
    return column;
}

void ConnectionRowWidget::setStatus(ConnectionStatus status)
{
    m_badge->setStatus(status);
}

void ConnectionRowWidget::setDetail(const QString &detail)
{
    m_detailText = detail;
    m_detail->setText(withQuotesKeptWhole(detail));
}

void ConnectionRowWidget::setAction(QWidget *action)
{
    if (m_action == action)
        return;
    // The old control may be the button whose press brought this change about, still inside its
    // own click handling: it is taken out of view now and deleted once that has returned.
    if (m_action) {
        m_action->hide();
        m_actionSlot->removeWidget(m_action);
        m_action->deleteLater();
    }
    m_action = action;
    if (!action)
        return;
    UiStyle::giveButtonsRoom(action);
    nameButtonsAfterRow(*action);
    m_actionSlot->addWidget(action, 0, Qt::AlignVCenter);
    // Shown now rather than on the next turn of the event loop, so the row never lacks its
    // control in between.
    action->show();
}

QString ConnectionRowWidget::buttonName(const QString &buttonText, const QString &rowTitle)
{
    // The mnemonic marks go; a doubled one stands for an ampersand and becomes one.
    static const QRegularExpression mnemonicMark(QStringLiteral("&(?!&)"));
    QString shown = buttonText;
    shown.remove(mnemonicMark);
    return shown + QStringLiteral(", ") + rowTitle;
}

void ConnectionRowWidget::nameButtonsAfterRow(QWidget &action) const
{
    // A screen reader says a button by itself, out of its row; its name says which service it
    // acts on, as the row does to the eye.
    QList<QAbstractButton *> buttons = action.findChildren<QAbstractButton *>();
    if (auto *own = qobject_cast<QAbstractButton *>(&action))
        buttons.prepend(own);
    for (QAbstractButton *button : std::as_const(buttons))
        button->setAccessibleName(buttonName(button->text(), title()));
}

QString ConnectionRowWidget::title() const
{
    return m_title->text();
}

ConnectionStatus ConnectionRowWidget::status() const
{
    return m_badge->status();
}

QString ConnectionRowWidget::statusText() const
{
    return m_badge->text();
}

QString ConnectionRowWidget::detail() const
{
    return m_detailText;
}

void ConnectionRowWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        applyFonts();
    QWidget::changeEvent(event);
}

void ConnectionRowWidget::applyFonts()
{
    m_title->setFont(UiStyle::font(font(), UiStyle::Text::Headline));
    m_detail->setFont(UiStyle::font(font(), UiStyle::Text::Callout));
    QPalette detailPalette = m_detail->palette();
    detailPalette.setColor(QPalette::WindowText, UiStyle::secondary(palette()));
    m_detail->setPalette(detailPalette);
}
