// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Page.h"

#include <QCoroTask>
#include <QList>
#include <QStringList>

class ConnectionsState;
class FrameModel;
class GitHubAuthState;

// A newcomer's first start on a computer without a display (a server, a small board driving an
// e-paper panel). Nobody could answer the welcome flow there, and the catalogue's starting pages
// lead with GitHub, which fails for someone without an account. So the pages become the welcome
// flow's recommended set for what is found on the machine, installed as if the flow had finished.
class FirstStart
{
public:
    struct Choice
    {
        QList<Page> pages;
        QStringList providers;
    };

    FirstStart() = delete;

    // Whether an X11 or Wayland display is there to show windows on.
    static bool hasDisplay();
    // The welcome flow would open (no settings file, and the welcome never finished) but there is
    // no display.
    static bool isNeeded(const FrameModel &model);

    // Looks at the machine (the tools on the login shell's PATH and the GitHub CLI's login, Claude
    // Code's directory, Wispr Flow's database, the GitHub sign-in and the calendar consent), then
    // hands the recommended pages and the providers found to the model's start(), which saves
    // them, records that the welcome is done and starts a refresh. Completes once the pages are in
    // place.
    static QCoro::Task<> run(FrameModel &model);

    // The recommended pages and the providers for what was found.
    static Choice choose(const ConnectionsState &state, const GitHubAuthState &signIn, bool calendar);
};
