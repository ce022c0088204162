// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UpdateRelease.h"

#include <QCoroTask>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

class UpdateAlertPresenter;
struct UpdateAlert;

// Tells the user when a newer Tessarine has been published. Fetches the release feed, compares
// its version with the running one and either keeps the newer release for the menu to offer (a
// quiet check) or shows the outcome in an alert (a check the user asked for). Downloading is
// left to the browser. Lives on the GUI thread.
class UpdateChecker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isChecking READ isChecking NOTIFY isCheckingChanged)
    Q_PROPERTY(bool hasAvailable READ hasAvailable NOTIFY availableChanged)

public:
    // A quiet check runs only when the last successful one is more than this long ago.
    static constexpr std::chrono::seconds quietCheckSpacing{72'000};
    // The whole check, not only a silence, ends after this long.
    static constexpr std::chrono::milliseconds defaultTimeout{15'000};
    // A release description is a few hundred bytes; a feed far larger is not read.
    static constexpr qint64 maxFeedBytes = 256 * 1024;

    // Asks the release feed at `feed` (the configuration's updateFeed).
    explicit UpdateChecker(QUrl feed, QObject *parent = nullptr);
    ~UpdateChecker() override;

    // Where announced checks show their alerts and downloads open; without one nothing is shown
    // or opened.
    void setPresenter(std::shared_ptr<UpdateAlertPresenter> presenter);

    // The newer release found by the last successful check; none when up to date.
    std::optional<UpdateRelease> available() const { return m_available; }
    bool hasAvailable() const { return m_available.has_value(); }
    bool isChecking() const { return m_checking; }

    // A quiet check, at most one every 20 hours (the defaults key `lastUpdateCheck`).
    void checkInBackground();
    // One check. With `announce` the outcome is always shown; without, nothing is shown. Returns at
    // once when a check is already running.
    QCoro::Task<> check(bool announce);
    // Opens the available release's URL in the browser through the presenter; nothing when none
    // is available.
    void download() const;

    // The running version (the CMake project version), "0" when unknown.
    static QString currentVersion();
    // Whether dotted version `version` is newer than `other`: numeric parts compared in order,
    // a missing or non-numeric part counting as 0 (1.10 > 1.9, 1.2 == 1.2.0, 1.2-beta == 1.0).
    static bool isNewer(const QString &version, const QString &other);
    QUrl feedUrl() const { return m_feed; }

    // Stops waiting for the feed after this long (15 seconds by default), however it trickles.
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

Q_SIGNALS:
    void isCheckingChanged(bool isChecking);
    void availableChanged();

private:
    void setChecking(bool checking);
    void setAvailable(const std::optional<UpdateRelease> &release);
    QCoro::Task<std::optional<UpdateRelease>> fetchFeed() const;
    QCoro::Task<> announceResult();
    QCoro::Task<int> present(UpdateAlert alert);
    UpdateAlert failureAlert() const;

    QUrl m_feed;
    std::shared_ptr<UpdateAlertPresenter> m_presenter;
    std::optional<UpdateRelease> m_available;
    bool m_checking = false;
    std::chrono::milliseconds m_timeout = defaultTimeout;
};
