// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class FrameModel;

// What the card says to a screen reader: its name is the shown page's title, its description
// the page's words in reading order followed by how the last refresh went. This is the one place
// the description is composed; every other part of the card asks here.
class CardSpeech
{
public:
    CardSpeech() = delete;

    static QString name(const FrameModel &model);
    static QString description(const FrameModel &model);
    // How the last refresh failed, as the card's mark says it, or nothing while all is well.
    static QString failure(const FrameModel &model);
};
