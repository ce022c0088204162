// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Escape and Ctrl+W close a window of the program, as they close a desktop's own windows. A
// control inside that uses Escape itself (the editor's canvas dropping its slot selection) takes
// the key first by accepting its shortcut override.
namespace CloseKeys {

void install(QWidget &window);

} // namespace CloseKeys
