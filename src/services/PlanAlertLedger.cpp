// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanAlertLedger.h"

#include "platform/AtomicFile.h"
#include "platform/JsonFile.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

// Provider ids and window labels never hold a line break, so it parts the two in a key.
const QChar keySeparator = QLatin1Char('\n');
const QString resetsAtKey = QStringLiteral("resetsAt");
const QString thresholdKey = QStringLiteral("threshold");

double secondsSinceEpoch(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch()) / 1000.0;
}

std::optional<int> reachedThreshold(double usedPercent)
{
    if (usedPercent >= PlanAlertLedger::upperThreshold)
        return PlanAlertLedger::upperThreshold;
    if (usedPercent >= PlanAlertLedger::lowerThreshold)
        return PlanAlertLedger::lowerThreshold;
    return std::nullopt;
}

} // namespace

QString PlanAlertLedger::defaultFile()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/plan-alerts.json");
}

PlanAlertLedger::PlanAlertLedger(QString file)
    : m_file(std::move(file))
{
    load();
}

QString PlanAlertLedger::key(const QString &provider, const QString &window)
{
    return provider + keySeparator + window;
}

bool PlanAlertLedger::hasEnded(const Entry &entry, const QDateTime &now)
{
    return entry.resetsAt && secondsSinceEpoch(now) >= *entry.resetsAt;
}

bool PlanAlertLedger::samePeriod(const Entry &entry, const Reading &reading, const QDateTime &now)
{
    if (hasEnded(entry, now))
        return false;
    if (entry.resetsAt && reading.resetsAt)
        return std::abs(*reading.resetsAt - *entry.resetsAt) <= double(sameResetTolerance.count());
    // Without two reset times to compare, a use that fell well below every threshold tells that
    // the window started again: use only grows within a period. "Well below": a use that wobbles
    // around a threshold (80, 79, 81 %) is one crossing, not one alert per wobble.
    return reading.usedPercent >= lowerThreshold - restartMargin;
}

std::optional<int> PlanAlertLedger::due(const Reading &reading, const QDateTime &now)
{
    const QString entryKey = key(reading.provider, reading.window);
    const auto found = m_entries.constFind(entryKey);
    std::optional<int> alreadyAlerted;
    if (found != m_entries.constEnd()) {
        if (samePeriod(found.value(), reading, now))
            alreadyAlerted = found->threshold;
        else
            m_entries.remove(entryKey);
    }
    const std::optional<int> reached = reachedThreshold(reading.usedPercent);
    if (!reached || (alreadyAlerted && *alreadyAlerted >= *reached))
        return std::nullopt;
    return reached;
}

bool PlanAlertLedger::record(const Reading &reading, int threshold, const QDateTime &now)
{
    Entry &entry = m_entries[key(reading.provider, reading.window)];
    // Two alerts of one period may finish in either order; the higher threshold stands.
    const bool keepHigher = entry.threshold > threshold && samePeriod(entry, reading, now);
    if (!keepHigher) {
        entry.threshold = threshold;
        entry.resetsAt = reading.resetsAt;
    }
    return save(now);
}

std::optional<int> PlanAlertLedger::alerted(const QString &provider, const QString &window) const
{
    const auto found = m_entries.constFind(key(provider, window));
    if (found == m_entries.constEnd())
        return std::nullopt;
    return found->threshold;
}

void PlanAlertLedger::load()
{
    // Through the bounded reader: something other than a small regular file at its name is not
    // read, so it cannot stall the start.
    const QJsonObject providers = JsonFile::read(m_file, 1024 * 1024).value_or(QJsonValue()).toObject();
    for (auto provider = providers.constBegin(); provider != providers.constEnd(); ++provider) {
        const QJsonObject windows = provider.value().toObject();
        for (auto window = windows.constBegin(); window != windows.constEnd(); ++window) {
            const QJsonObject stored = window.value().toObject();
            const int threshold = stored.value(thresholdKey).toInt();
            if (threshold != lowerThreshold && threshold != upperThreshold)
                continue;
            const QJsonValue resetsAt = stored.value(resetsAtKey);
            Entry entry;
            entry.threshold = threshold;
            if (resetsAt.isDouble())
                entry.resetsAt = resetsAt.toDouble();
            m_entries.insert(key(provider.key(), window.key()), entry);
        }
    }
}

bool PlanAlertLedger::save(const QDateTime &now) const
{
    QJsonObject providers;
    for (auto entry = m_entries.constBegin(); entry != m_entries.constEnd(); ++entry) {
        // Periods that are over would never be asked about again.
        if (hasEnded(entry.value(), now))
            continue;
        const QString provider = entry.key().section(keySeparator, 0, 0);
        const QString window = entry.key().section(keySeparator, 1);
        QJsonObject stored{{thresholdKey, entry->threshold}};
        stored.insert(resetsAtKey, entry->resetsAt ? QJsonValue(*entry->resetsAt) : QJsonValue());
        QJsonObject windows = providers.value(provider).toObject();
        windows.insert(window, stored);
        providers.insert(provider, windows);
    }
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    return AtomicFile::write(m_file, QJsonDocument(providers).toJson(QJsonDocument::Indented)).isEmpty();
}
