// SPDX-License-Identifier: GPL-3.0-or-later
#include "BurnRateForecast.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// With no reading for this long nobody knows what happened meanwhile (the computer slept, the
// program was closed, the clock jumped ahead): the stretch of use before it is not the recent one.
// Refreshes read the tools every half hour, so their readings stay within it.
constexpr double silentGap = 45 * 60;

double seconds(std::chrono::seconds value)
{
    return double(value.count());
}

// The index of the first reading of the last idle spell's end, or of the first reading after the
// last silent gap, whichever is later; 0 when there is neither.
qsizetype stretchStart(const QList<BurnRateForecast::Sample> &run)
{
    qsizetype start = 0;
    qsizetype spellBegin = 0; // the latest reading at least an idle spell before the current one
    for (qsizetype current = 1; current < run.size(); ++current) {
        const double at = run[current].at;
        if (at - run[current - 1].at >= silentGap) {
            start = current;
            continue;
        }
        while (spellBegin + 1 < current && run[spellBegin + 1].at <= at - seconds(BurnRateForecast::idleSpell))
            ++spellBegin;
        const bool spellSpan = at - run[spellBegin].at >= seconds(BurnRateForecast::idleSpell);
        if (spellSpan && run[current].usedPercent - run[spellBegin].usedPercent < BurnRateForecast::idlePoints)
            start = current;
    }
    return start;
}

double median(std::vector<double> values)
{
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + qsizetype(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + qsizetype(middle));
    return (lower + upper) / 2;
}

} // namespace

QList<BurnRateForecast::Sample> BurnRateForecast::currentRun(const QList<Sample> &samples, double now)
{
    QList<Sample> run;
    for (const Sample &sample : samples) {
        // Taken "after now": the clock has been put back since, and the reading cannot be placed.
        if (sample.at > now)
            continue;
        const bool clockWentBack = !run.isEmpty() && sample.at < run.last().at;
        const bool figureFell = !run.isEmpty() && sample.usedPercent < run.last().usedPercent - fallingPoints;
        if (clockWentBack || figureFell)
            run.clear();
        run.append(sample);
    }
    return run;
}

QList<BurnRateForecast::Sample> BurnRateForecast::recentStretch(const QList<Sample> &run)
{
    if (run.isEmpty())
        return {};
    qsizetype start = stretchStart(run);
    const double earliest = run.last().at - seconds(recentHorizon);
    while (start < run.size() && run[start].at < earliest)
        ++start;
    return run.mid(start);
}

QList<BurnRateForecast::Sample> BurnRateForecast::thinned(const QList<Sample> &samples, int most)
{
    if (samples.size() <= most || most < 2)
        return samples;
    QList<Sample> kept;
    kept.reserve(most);
    const double step = double(samples.size() - 1) / double(most - 1);
    for (int index = 0; index < most; ++index)
        kept.append(samples[qsizetype(std::round(step * index))]);
    return kept;
}

std::optional<double> BurnRateForecast::medianSlope(const QList<Sample> &samples)
{
    std::vector<double> slopes;
    for (qsizetype first = 0; first < samples.size(); ++first) {
        for (qsizetype second = first + 1; second < samples.size(); ++second) {
            const double span = samples[second].at - samples[first].at;
            if (span >= 1)
                slopes.push_back((samples[second].usedPercent - samples[first].usedPercent) / span);
        }
    }
    if (slopes.empty())
        return std::nullopt;
    return median(std::move(slopes));
}

BurnRateForecast::Result BurnRateForecast::forecast(const QList<Sample> &samples, std::optional<double> resetsAt,
                                                    double now)
{
    const QList<Sample> stretch = recentStretch(currentRun(samples, now));
    if (stretch.size() < minimumSamples || stretch.last().at - stretch.first().at < seconds(minimumSpan))
        return {};
    const Sample &latest = stretch.last();
    // A window already used up, or not read for a long while, has no pace worth telling.
    if (latest.usedPercent >= 100 || now - latest.at >= silentGap)
        return {};
    const std::optional<double> slope = medianSlope(thinned(stretch, mostFitted));
    if (!slope || *slope <= 0)
        return {};
    const double runsOutAt = latest.at + (100 - latest.usedPercent) / *slope;
    if (resetsAt && runsOutAt >= *resetsAt)
        return {Outlook::LastsUntilReset, std::nullopt};
    if (!resetsAt && runsOutAt - now > seconds(farthestWithoutReset))
        return {};
    return {Outlook::RunsOut, runsOutAt};
}

QJsonArray BurnRateForecast::series(const QList<Sample> &run, double now, int points)
{
    if (run.size() < 2 || points < 2 || now <= run.first().at)
        return {};
    const double from = run.first().at;
    const double step = (now - from) / double(points - 1);
    QJsonArray values;
    qsizetype latest = 0;
    for (int point = 0; point < points; ++point) {
        const double moment = point == points - 1 ? now : from + step * point;
        while (latest + 1 < run.size() && run[latest + 1].at <= moment)
            ++latest;
        values.append(std::round(run[latest].usedPercent * 10) / 10);
    }
    return values;
}
