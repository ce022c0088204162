// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>

// The environment Tessarine's own helper processes (the page renderer, the calendar reader) are
// started with: only what a Qt program needs to find its libraries, fonts, locale, time zone and
// folders, never the rest of the user's environment. An exported GH_TOKEN, a cloud key or any
// other secret in it has no business in a process that draws pages or reads calendars, where a
// crash report or a rendered page could carry it further. (The user's own tools, started through
// the login shell, are the user's business and keep the whole environment.)
namespace ChildEnvironment {

// The passed-on part of `from` (the process's own environment unless given).
QProcessEnvironment minimal(const QProcessEnvironment &from = QProcessEnvironment::systemEnvironment());

// Whether a variable of that name is passed on.
bool isPassedOn(const QString &name);

} // namespace ChildEnvironment
