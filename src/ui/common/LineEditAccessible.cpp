// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineEditAccessible.h"

#include <QLineEdit>
#include <algorithm>

namespace {

QAccessibleInterface *lineEditFactory(const QString &className, QObject *object)
{
    auto *field = qobject_cast<QLineEdit *>(object);
    if (!field || className != QStringLiteral("QLineEdit") || field->echoMode() != QLineEdit::Normal)
        return nullptr;
    return new LineEditAccessible(field);
}

} // namespace

LineEditAccessible::LineEditAccessible(QLineEdit *field)
    : QAccessibleWidget(field, QAccessible::EditableText)
{}

void LineEditAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(lineEditFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

QLineEdit *LineEditAccessible::field() const
{
    return static_cast<QLineEdit *>(widget());
}

void *LineEditAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString LineEditAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return field()->text();
    if (kind == QAccessible::Name && field()->accessibleName().isEmpty())
        return field()->placeholderText();
    return QAccessibleWidget::text(kind);
}

void LineEditAccessible::setText(QAccessible::Text kind, const QString &text)
{
    if (kind == QAccessible::Value && !field()->isReadOnly())
        field()->setText(text);
    else
        QAccessibleWidget::setText(kind, text);
}

QAccessible::State LineEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !field()->isReadOnly();
    state.readOnly = field()->isReadOnly();
    state.selectableText = true;
    return state;
}

void LineEditAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !field()->hasSelectedText())
        return;
    *startOffset = field()->selectionStart();
    *endOffset = field()->selectionEnd();
}

int LineEditAccessible::selectionCount() const
{
    return field()->hasSelectedText() ? 1 : 0;
}

void LineEditAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        field()->deselect();
}

void LineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        field()->setSelection(startOffset, endOffset - startOffset);
}

int LineEditAccessible::cursorPosition() const
{
    return field()->cursorPosition();
}

void LineEditAccessible::setCursorPosition(int position)
{
    field()->setCursorPosition(position);
}

QString LineEditAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return QString();
    return field()->text().mid(startOffset, endOffset - startOffset);
}

int LineEditAccessible::characterCount() const
{
    return int(field()->text().size());
}

QRect LineEditAccessible::characterRect(int offset) const
{
    // The field draws its text in one font from its left edge (less what it has scrolled by);
    // the character's left edge is where the cursor would stand before it.
    const QString text = field()->text();
    if (offset < 0 || offset >= text.size())
        return QRect();
    const QFontMetrics metrics = field()->fontMetrics();
    int left = 0;
    while (left < field()->width() && field()->cursorPositionAt(QPoint(left, field()->height() / 2)) < offset)
        ++left;
    const QRect local(left, (field()->height() - metrics.height()) / 2,
                      std::max(1, metrics.horizontalAdvance(text.at(offset))), metrics.height());
    return QRect(field()->mapToGlobal(local.topLeft()), local.size());
}

int LineEditAccessible::offsetAtPoint(const QPoint &point) const
{
    return field()->cursorPositionAt(field()->mapFromGlobal(point));
}

void LineEditAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    field()->setCursorPosition(endIndex);
    field()->setCursorPosition(startIndex);
}

QString LineEditAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One run without attributes over the whole text.
    Q_UNUSED(offset)
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void LineEditAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void LineEditAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void LineEditAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    if (field()->isReadOnly())
        return;
    field()->setText(field()->text().replace(startOffset, endOffset - startOffset, text));
}
