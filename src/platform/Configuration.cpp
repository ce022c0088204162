// SPDX-License-Identifier: GPL-3.0-or-later
#include "Configuration.h"

#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString directory(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : QDir::cleanPath(value);
}

QString host(const char *name, const QString &fallback)
{
    QString base = qEnvironmentVariable(name);
    if (base.isEmpty())
        base = fallback;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

// A slot index: a whole number from 0, spaces around it allowed.
std::optional<int> slotIndex(const QString &text)
{
    bool ok = false;
    const int slot = text.trimmed().toInt(&ok);
    return ok && slot >= 0 ? std::optional<int>(slot) : std::nullopt;
}

// A base-10 integer with an optional sign and nothing else.
std::optional<int> signedNumber(const QString &text)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (!integer.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

Configuration Configuration::fromEnvironment()
{
    Configuration configuration;
    configuration.screensDir = directory("TESSARINE_SCREENS", Paths::screensDir());
    configuration.viewsDir = directory("TESSARINE_VIEWS", Paths::viewsDir());
    configuration.renderer = qEnvironmentVariable("TESSARINE_RENDERER");
    configuration.gitHubApi = host("TESSARINE_GITHUB_API", configuration.gitHubApi);
    configuration.gitHubWeb = host("TESSARINE_GITHUB_WEB", configuration.gitHubWeb);
    if (const QString feed = qEnvironmentVariable("TESSARINE_UPDATE_FEED"); !feed.isEmpty())
        configuration.updateFeed = QUrl(feed);
    configuration.editorSlot = slotIndex(qEnvironmentVariable("TESSARINE_EDITOR_SLOT"));
    configuration.welcomeStep = signedNumber(qEnvironmentVariable("TESSARINE_WELCOME_STEP"));
    if (qEnvironmentVariableIsSet("TESSARINE_LAYER_CARD"))
        configuration.layerCardHelper = qEnvironmentVariable("TESSARINE_LAYER_CARD");
    return configuration;
}

QString Configuration::settingsFile() const
{
    return QFileInfo(screensDir).dir().filePath(QStringLiteral("settings.json"));
}
