// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "platform/Autostart.h"
#include "platform/Configuration.h"
#include "platform/Paths.h"
#include "render/RenderCommand.h"
#include "services/PlanAlertLedger.h"

namespace {

// Qt's own options that take a value, read by the application object (QGuiApplication and
// QApplication); given with one dash or two, the value after them or after "=".
const QStringList qtOptionsWithValue{
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
    QStringLiteral("display"),         QStringLiteral("style"),
    QStringLiteral("stylesheet"),
};
const QStringList qtFlags{QStringLiteral("reverse"), QStringLiteral("widgetcount")};

// The option's name without its dashes and any "=value"; empty when `argument` is no Qt option.
QString qtOptionName(const QString &argument)
{
    if (!argument.startsWith(QLatin1Char('-')) || argument == QStringLiteral("-") || argument == QStringLiteral("--"))
        return {};
    QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    name = name.section(QLatin1Char('='), 0, 0);
    return qtOptionsWithValue.contains(name) || qtFlags.contains(name) ? name : QString();
}

QString line(const QString &label, const QString &text)
{
    return QStringLiteral("  ") + label.leftJustified(27) + text + QLatin1Char('\n');
}

// The words of a usage line grouped into options with their values ("--page N|all",
// "[--scale 1..5]"), the units a line is broken between.
QStringList usageUnits(const QString &usage)
{
    QStringList units;
    for (const QString &word : usage.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        // "tessarine" and "render" stand alone; an option takes the words after it.
        const bool startsUnit =
            units.size() < 2 || word.startsWith(QLatin1Char('-')) || word.startsWith(QLatin1Char('['));
        if (startsUnit)
            units.append(word);
        else
            units.last() += QLatin1Char(' ') + word;
    }
    return units;
}

// The render command's own usage line, without its "usage: ", broken between options before
// `width` and continued under the command's first option.
QString renderUsage(int width)
{
    const QString lead(7, QLatin1Char(' '));
    const QString continuation = lead + QString(QStringLiteral("tessarine render ").size(), QLatin1Char(' '));
    QString text;
    QString current = lead;
    for (const QString &unit : usageUnits(RenderCommand::usage().section(QStringLiteral("usage: "), 1))) {
        if (current.size() > continuation.size() && current.size() + 1 + unit.size() > width) {
            text += current + QLatin1Char('\n');
            current = continuation + unit;
        } else {
            current += (current == lead ? QString() : QStringLiteral(" ")) + unit;
        }
    }
    return text + current + QLatin1Char('\n');
}

QString filesSection(const Configuration &configuration)
{
    return QStringLiteral("Files:\n") + line(QStringLiteral("settings"), configuration.settingsFile()) +
           line(QStringLiteral("rendered pages"), configuration.screensDir) +
           line(QStringLiteral("display options"), Paths::defaultsFile()) +
           line(QStringLiteral("plan alerts shown"), PlanAlertLedger::defaultFile()) +
           line(QStringLiteral("start at login"), Autostart::entryPath()) +
           line(QStringLiteral("page view and catalogue"), configuration.viewsDir);
}

} // namespace

const QStringList &CommandLine::knownLaunchArguments()
{
    static const QStringList known{QStringLiteral("--welcome"), QStringLiteral("--edit-layout"),
                                   QStringLiteral("--connections")};
    return known;
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine result;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            result.m_action = Action::Help;
            return result;
        }
        if (argument == QStringLiteral("--version") || argument == QStringLiteral("-v")) {
            result.m_action = Action::Version;
            return result;
        }
        if (knownLaunchArguments().contains(argument)) {
            if (!result.m_launchArguments.contains(argument))
                result.m_launchArguments.append(argument);
            continue;
        }
        const QString qtOption = qtOptionName(argument);
        if (qtOption.isEmpty()) {
            result.m_action = Action::Fail;
            result.m_error = QStringLiteral("unknown argument '%1'").arg(argument);
            return result;
        }
        // A value-taking option written without "=" takes the next argument as its value.
        if (qtOptionsWithValue.contains(qtOption) && !argument.contains(QLatin1Char('=')) && ++i >= arguments.size()) {
            result.m_action = Action::Fail;
            result.m_error = QStringLiteral("'%1' needs a value").arg(argument);
            return result;
        }
    }
    return result;
}

QString CommandLine::versionText()
{
    return QStringLiteral("Tessarine " TESSARINE_VERSION);
}

QString CommandLine::helpHint()
{
    return QStringLiteral("Try 'tessarine --help' for more information.");
}

QString CommandLine::helpText(const Configuration &configuration)
{
    return QStringLiteral("Usage: tessarine [--welcome] [--edit-layout] [--connections]\n") + renderUsage(88) +
           QStringLiteral("\n"
                          "Tessarine keeps a calm card on the desktop that shows one page at a time: GitHub\n"
                          "contributions, AI plan usage, dictation, calendar, date and countdown. Its menu opens\n"
                          "from the tray icon and with a right click on the card.\n"
                          "\n"
                          "Options:\n") +
           line(QStringLiteral("--welcome"), QStringLiteral("open the welcome window, even when it is not needed")) +
           line(QStringLiteral("--edit-layout"), QStringLiteral("open the layout editor")) +
           line(QStringLiteral("--connections"), QStringLiteral("open the connections window")) +
           line(QStringLiteral("-h, --help"), QStringLiteral("print this help and exit")) +
           line(QStringLiteral("-v, --version"), QStringLiteral("print the version and exit")) +
           QStringLiteral("\n"
                          "One Tessarine runs in a desktop session: starting it again brings the running card\n"
                          "to the front and opens the windows asked for.\n"
                          "\n"
                          "Commands:\n") +
           line(QStringLiteral("render"),
                QStringLiteral("draw pages of a data document (data.json) into PNG files,\n") +
                    QString(29, QLatin1Char(' ')) + QStringLiteral("without the desktop")) +
           QStringLiteral("\nEnvironment:\n") +
           line(QStringLiteral("APP_REFRESH_TEST=1"), QStringLiteral("run one refresh, print one line, quit")) +
           line(QStringLiteral("APP_SNAPSHOT=DIRECTORY"),
                QStringLiteral("save pictures of the card in every look, page and\n") + QString(29, QLatin1Char(' ')) +
                    QStringLiteral("appearance into DIRECTORY, quit")) +
           line(QStringLiteral("TESSARINE_SCREENS=DIR"),
                QStringLiteral("the rendered pages; the settings file lies in its parent")) +
           line(QStringLiteral("TESSARINE_VIEWS=DIR"), QStringLiteral("the page view, themes and catalogue to use")) +
           line(QStringLiteral("TESSARINE_WELCOME_STEP=N"), QStringLiteral("open the welcome window at step N")) +
           line(QStringLiteral("TESSARINE_EDITOR_SLOT=N"),
                QStringLiteral("select slot N when the layout editor opens")) +
           line(QStringLiteral("TESSARINE_GITHUB_API=URL"), QStringLiteral("GitHub's API (https://api.github.com/)")) +
           line(QStringLiteral("TESSARINE_GITHUB_WEB=URL"),
                QStringLiteral("GitHub's web host for signing in (https://github.com/)")) +
           line(QStringLiteral("TESSARINE_UPDATE_FEED=URL"),
                QStringLiteral("the release feed (https://tessarine.app/latest.json)")) +
           QStringLiteral("\n") + filesSection(configuration);
}
