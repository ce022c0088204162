// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>

class FrameModel;
class QTemporaryDir;

// What the refresh, display and calendar tests share: a throw-away screens directory beside its
// settings file, pages written as the user's settings, and JSON read back from disk.
namespace RefreshSupport {

// Starts a case that runs real refreshes in `dir`: its screens/ folder (TESSARINE_SCREENS, the
// settings file beside it) with the stand-in page view of tests/fixtures/refresh (TESSARINE_VIEWS),
// which TestSupport::configuration() reads; a cleared defaults store; /bin/sh as the login shell
// and no GitHub CLI. False when the test does not run in a throw-away home (run-isolated.sh).
bool startRefreshCase(const QTemporaryDir &dir);

// A page record as the settings file holds it; a null entry is an empty slot.
QJsonObject page(const QString &layout, std::initializer_list<const char *> slotIds, const QString &title = {});

// Writes "settings.json" beside `screensDir` with these pages and providers, logos on.
void writeSettings(const QString &screensDir, const QJsonArray &pages, const QStringList &providers = {});

// The object in a JSON file; empty when the file is missing or not an object.
QJsonObject readObject(const QString &path);

// Runs the event loop until `condition` holds, for at most `timeoutMs`. Unlike QTest::qWaitFor,
// which sleeps between rounds of events, the loop waits for events as the program's own loop
// does, so the web engine's many small replies are not each held up.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 60000);

// Runs the event loop until the model has no refresh running or asked for (at most a minute).
bool waitUntilIdle(const FrameModel &model);

// A JSON reply of the loopback GitHub.
FakeHttpServer::Reply jsonReply(int status, const QByteArray &body);

// Writes a manifest as a finished refresh would leave it.
void writeManifest(const QString &screensDir, const QJsonObject &manifest);

} // namespace RefreshSupport
