// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardAccessible.h"

#include "CardAnnouncement.h"
#include "CardSpeech.h"
#include "FrameView.h"
#include "ProgramAccessible.h"

#include <QApplication>

const QString CardAccessible::nextPageAction = QStringLiteral("Next Page");
const QString CardAccessible::previousPageAction = QStringLiteral("Previous Page");
const QString CardAccessible::openMenuAction = QStringLiteral("Open Menu");

namespace {

QAccessibleInterface *cardFactory(const QString &className, QObject *object)
{
    // The words said as the page changes: a notification, which readers speak as it appears.
    if (auto *announcement = qobject_cast<CardAnnouncement *>(object);
        announcement && className == QStringLiteral("CardAnnouncement"))
        return new QAccessibleWidget(announcement, QAccessible::Notification);
    if (object && object == qApp && className == QStringLiteral("QApplication"))
        return new ProgramAccessible;
    auto *view = qobject_cast<FrameView *>(object);
    if (!view || className != QStringLiteral("FrameView"))
        return nullptr;
    return new CardAccessible(view);
}

} // namespace

CardAccessible::CardAccessible(FrameView *view)
    : QAccessibleWidget(view, QAccessible::Window)
{}

void CardAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(cardFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

FrameView *CardAccessible::view() const
{
    return static_cast<FrameView *>(widget());
}

QString CardAccessible::text(QAccessible::Text kind) const
{
    switch (kind) {
    case QAccessible::Name:
        return CardSpeech::name(view()->model());
    case QAccessible::Description:
        return CardSpeech::description(view()->model());
    case QAccessible::Help:
        return QStringLiteral("Left and Right change pages; the Menu key or Shift+F10 opens the menu.");
    default:
        return QAccessibleWidget::text(kind);
    }
}

QStringList CardAccessible::actionNames() const
{
    return {nextPageAction, previousPageAction, openMenuAction};
}

void CardAccessible::doAction(const QString &actionName)
{
    if (actionName == nextPageAction)
        view()->showNextPage();
    else if (actionName == previousPageAction)
        view()->showPreviousPage();
    else if (actionName == openMenuAction)
        view()->openMenu();
}

QStringList CardAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == nextPageAction)
        return {QStringLiteral("Right")};
    if (actionName == previousPageAction)
        return {QStringLiteral("Left")};
    if (actionName == openMenuAction)
        return {QStringLiteral("Menu"), QStringLiteral("Shift+F10")};
    return {};
}
