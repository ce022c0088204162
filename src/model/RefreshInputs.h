// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Catalogue.h"
#include "kit/Countdown.h"
#include "kit/Page.h"
#include "kit/ScreenLook.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What a refresh takes from the rest of the program: the user's settings, the look, a GitHub
// token and the calendar section. The refresh only asks; it never calls back into whoever
// answers. The model answers in the program (FrameRefreshInputs), tests with fakes of their own.
class RefreshInputs
{
public:
    // The settings a refresh draws and names in its manifest. A run takes them once, as it
    // starts, so a page added meanwhile waits for the next run.
    struct Settings
    {
        QList<Page> pages;
        QStringList providers;
        bool showLogos = true;
        std::optional<Countdown> countdown;
        std::optional<Catalogue> catalogue;
    };

    virtual ~RefreshInputs() = default;

    virtual Settings settings() const = 0;
    // The look chosen now; a draw takes it once, as it begins.
    virtual ScreenLook look() const = 0;
    // A GitHub token, none when signed out everywhere.
    virtual QCoro::Task<std::optional<QString>> token() = 0;
    // The data document's "calendar" section.
    virtual QCoro::Task<QJsonObject> calendar() = 0;
};
