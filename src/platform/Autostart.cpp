// SPDX-License-Identifier: GPL-3.0-or-later
#include "Autostart.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Characters that desktop launchers only take inside a quoted Exec argument.
bool needsQuotes(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    for (const QChar character : argument) {
        if (reserved.contains(character))
            return true;
    }
    return false;
}

bool writeEntry(const QString &path, const QByteArray &contents)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    return AtomicFile::write(path, contents).isEmpty();
}

} // namespace

QString Autostart::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/tessarine.desktop");
}

bool Autostart::isEnabled()
{
    return QFileInfo::exists(entryPath());
}

bool Autostart::setEnabled(bool enabled, const QString &program)
{
    const QString path = entryPath();
    if (enabled)
        return writeEntry(path, entry(program));
    return !QFileInfo::exists(path) || QFile::remove(path);
}

QByteArray Autostart::entry(const QString &program)
{
    const QString lines[] = {
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Tessarine"),
        QStringLiteral("Comment=A calm card on the desktop, one page at a time"),
        QStringLiteral("Exec=") + execArgument(program),
        QStringLiteral("Icon=app.tessarine.Tessarine"),
        QStringLiteral("Terminal=false"),
        QStringLiteral("X-GNOME-Autostart-enabled=true"),
    };
    QByteArray contents;
    for (const QString &line : lines)
        contents += line.toUtf8() + '\n';
    return contents;
}

QString Autostart::execArgument(const QString &program)
{
    // A literal percent sign is written twice in any Exec argument.
    QString argument = program;
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!needsQuotes(argument))
        return argument;
    // Inside quotes, ", `, $ and \ take a backslash; then the value's own escaping doubles every
    // backslash once more, as the string type of the entry file asks.
    QString quoted;
    for (const QChar character : argument) {
        if (character == QLatin1Char('"') || character == QLatin1Char('`') || character == QLatin1Char('$') ||
            character == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += character;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    // Control characters are written as escapes, so the value stays on its one line.
    quoted.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    quoted.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    quoted.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
