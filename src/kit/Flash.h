// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The phase of a running e-paper flash: the card goes dark, then light, then shows the new page.
enum class Flash
{
    None,
    Dark,
    Light
};
