// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardAnnouncement.h"

#include <QAccessible>
#include <QtGlobal>

CardAnnouncement::CardAnnouncement(QWidget *card)
    : QWidget(card)
{
    // One transparent pixel in the corner: shown, so that readers take it as on screen, yet
    // nothing to see and nothing to click.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);
}

void CardAnnouncement::announce(const QString &words)
{
    if (words.isEmpty() || !QAccessible::isActive())
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(parentWidget(), words);
    announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&announcement);
#else
    setAccessibleName(words);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}
