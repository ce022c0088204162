// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// Says something to a screen reader without the card taking the keyboard. Readers voice a
// changed name or description only for the object they are on, so the card's own changes go
// unheard while the user works elsewhere. Where Qt can send announcements they go out as such;
// older Qt has no announcement event, and the words are instead put in this invisible notification
// that is shown afresh each time: readers such as Orca speak a notification as it appears,
// wherever the focus is.
class CardAnnouncement : public QWidget
{
    Q_OBJECT

public:
    explicit CardAnnouncement(QWidget *card);

    // Speaks `words` now, in place of anything still being said about the card.
    void announce(const QString &words);
};
