// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class FrameModel;
class QWidget;

// The content of the three windows the application opens on request. Each window's own code
// fills in its factory (one source file each: EditorWindowFactory.cpp,
// ConnectionsWindowFactory.cpp, WelcomeWindowFactory.cpp); App gives the window its title, size,
// remembered frame and placement. A factory that returns null opens nothing.
namespace WindowFactories {

// The layout editor on the model: no page or slot selected, inspector shown.
QWidget *createEditor(FrameModel &model);
// The connections window on the model, with a fresh connections state.
QWidget *createConnections(FrameModel &model);
// The welcome flow in its first step; `close` closes the welcome window.
QWidget *createWelcome(FrameModel &model, std::function<void()> close);

} // namespace WindowFactories
