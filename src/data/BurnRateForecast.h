// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonArray>
#include <QList>
#include <chrono>
#include <optional>

// When a plan window reaches 100 % if it goes on being used at its recent pace. Pure arithmetic
// on recorded readings, apart from any file or clock.
//
// Only the recent stretch of use counts: the readings since the last idle spell (twenty minutes
// or more in which use rose by less than half a point), since the last fall of the figure (a
// reset the readings missed) and since the last backward step of the clock, and of those the
// last three hours. The pace is the Theil–Sen slope of that stretch (the median of the slopes
// between every two readings), so one burst or one odd reading does not set it; the forecast
// runs from the latest reading at that pace. A stretch of more than mostFitted readings (never
// one the program wrote itself: that is one a minute) is fitted on that many of them, evenly
// spread and keeping the latest, so the cost stays bounded whatever a history file holds: linear in
// the readings given, and a fixed number of pairs.
class BurnRateForecast
{
public:
    struct Sample
    {
        double at = 0;          // seconds since 1970, when the reading was taken
        double usedPercent = 0; // as the provider reported it
        bool operator==(const Sample &other) const = default;
    };

    enum class Outlook
    {
        Unknown,         // too little recent use to tell, or use is not rising
        RunsOut,         // reaches 100 % before the reset (or, with no reset known, within a week)
        LastsUntilReset, // at this pace the window resets first
    };

    struct Result
    {
        Outlook outlook = Outlook::Unknown;
        std::optional<double> runsOutAt; // seconds since 1970; only for RunsOut
        bool operator==(const Result &other) const = default;
    };

    static constexpr int minimumSamples = 3;
    static constexpr std::chrono::seconds minimumSpan{15 * 60};
    static constexpr std::chrono::seconds idleSpell{20 * 60};
    static constexpr std::chrono::seconds recentHorizon{3 * 3600};
    // Without a reset time a forecast further away than this says nothing useful.
    static constexpr std::chrono::seconds farthestWithoutReset{7 * 24 * 3600};
    // A reading this much below the one before it belongs to a new period.
    static constexpr double fallingPoints = 1.0;
    // Less than this rise over an idle spell counts as no use.
    static constexpr double idlePoints = 0.5;
    static constexpr int seriesPoints = 24;
    // Three hours at one reading a minute, and some to spare.
    static constexpr int mostFitted = 240;

    BurnRateForecast() = delete;

    // `samples` in the order they were recorded; `now` in seconds since 1970.
    static Result forecast(const QList<Sample> &samples, std::optional<double> resetsAt, double now);

    // The readings of the current period in recorded order: none taken after `now` (the clock has
    // gone back since), none from before the latest backward step of the clock or the latest fall
    // of the figure.
    static QList<Sample> currentRun(const QList<Sample> &samples, double now);

    // The readings since the last idle spell, at most recentHorizon long.
    static QList<Sample> recentStretch(const QList<Sample> &run);

    // At most `most` of the samples, evenly spread over them, the first and the last among them.
    static QList<Sample> thinned(const QList<Sample> &samples, int most);

    // The Theil–Sen slope in percentage points a second; none with fewer than two distinct times.
    static std::optional<double> medianSlope(const QList<Sample> &samples);

    // The window's use since its period's first reading, at `points` even steps up to `now`
    // (each the latest reading at or before its moment), rounded to tenths; empty with fewer than
    // two readings.
    static QJsonArray series(const QList<Sample> &run, double now, int points = seriesPoints);
};
