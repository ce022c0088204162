// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunOutLedger.h"

#include "platform/AtomicFile.h"
#include "platform/JsonFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

// Provider ids and window labels never hold a line break, so it parts the two in a key.
const QChar keySeparator = QLatin1Char('\n');

double secondsOf(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace

QString RunOutLedger::fileBeside(const QString &planAlertsFile)
{
    return QFileInfo(planAlertsFile).dir().filePath(QStringLiteral("plan-run-out-alerts.json"));
}

RunOutLedger::RunOutLedger(QString file)
    : m_file(std::move(file))
{
    load();
}

QString RunOutLedger::key(const QString &provider, const QString &window)
{
    return provider + keySeparator + window;
}

bool RunOutLedger::due(const QString &provider, const QString &window, double runsOutAt, std::optional<double> resetsAt,
                       const QDateTime &now) const
{
    const double seconds = secondsOf(now);
    if (!resetsAt || *resetsAt <= seconds || runsOutAt >= *resetsAt || runsOutAt - seconds > double(lead.count()))
        return false;
    const auto warned = m_warned.constFind(key(provider, window));
    return warned == m_warned.constEnd() || std::abs(*warned - *resetsAt) > double(sameResetTolerance.count());
}

bool RunOutLedger::record(const QString &provider, const QString &window, double resetsAt, const QDateTime &now)
{
    m_warned.insert(key(provider, window), resetsAt);
    return save(secondsOf(now));
}

void RunOutLedger::load()
{
    const QJsonObject providers = JsonFile::read(m_file, 1024 * 1024).value_or(QJsonValue()).toObject();
    for (auto provider = providers.constBegin(); provider != providers.constEnd(); ++provider) {
        const QJsonObject windows = provider.value().toObject();
        for (auto window = windows.constBegin(); window != windows.constEnd(); ++window) {
            if (window.value().isDouble())
                m_warned.insert(key(provider.key(), window.key()), window.value().toDouble());
        }
    }
}

bool RunOutLedger::save(double now) const
{
    QJsonObject providers;
    for (auto warned = m_warned.constBegin(); warned != m_warned.constEnd(); ++warned) {
        // Periods that are over would never be asked about again.
        if (warned.value() <= now)
            continue;
        const QString provider = warned.key().section(keySeparator, 0, 0);
        QJsonObject windows = providers.value(provider).toObject();
        windows.insert(warned.key().section(keySeparator, 1), warned.value());
        providers.insert(provider, windows);
    }
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    return AtomicFile::write(m_file, QJsonDocument(providers).toJson(QJsonDocument::Indented)).isEmpty();
}
