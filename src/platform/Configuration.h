// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>
#include <optional>

// Where the program keeps its files, what it draws with and which hosts it asks, as one value:
// the defaults, or what the TESSARINE_* variables say. main() reads it from the environment once,
// for the card, the unattended modes, `render` and the renderer process alike, and hands it on:
// the model passes each part what it needs, and nothing else reads these variables. Tests point
// a part elsewhere by constructing it with a configuration of their own.
struct Configuration
{
    // TESSARINE_SCREENS: the refresh's output; the settings file lies in its parent.
    QString screensDir;
    // TESSARINE_VIEWS: the page view, themes and catalogue (Paths::viewsDir() by default).
    QString viewsDir;
    // TESSARINE_RENDERER: the program started as the renderer process; empty for this program.
    QString renderer;
    // TESSARINE_GITHUB_API and TESSARINE_GITHUB_WEB, each ending in "/".
    QString gitHubApi = QStringLiteral("https://api.github.com/");
    QString gitHubWeb = QStringLiteral("https://github.com/");
    // TESSARINE_UPDATE_FEED: the release feed.
    QUrl updateFeed = QUrl(QStringLiteral("https://tessarine.app/latest.json"));
    // TESSARINE_EDITOR_SLOT: the slot the layout editor selects when it opens (a whole number
    // from 0).
    std::optional<int> editorSlot;
    // TESSARINE_WELCOME_STEP: the step the welcome window opens at (a signed whole number, not
    // range-checked; for screenshots and tests).
    std::optional<int> welcomeStep;
    // TESSARINE_LAYER_CARD: the layer-shell card's helper program to use instead of the one
    // installed beside the program; a path that is no program ("none") turns the layer card off.
    std::optional<QString> layerCardHelper;

    // What each TESSARINE_* variable that is set and not empty says, else the defaults: the
    // screens directory under the user's data folder, the shipped views (see Paths).
    static Configuration fromEnvironment();

    // "settings.json" beside (not inside) the screens directory.
    QString settingsFile() const;
};
