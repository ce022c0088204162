// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolMachine.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString ToolMachine::zsh()
{
    return QStandardPaths::findExecutable(QStringLiteral("zsh"));
}

bool ToolMachine::enter()
{
    if (!m_root.isValid())
        return false;
    for (const QString &folder : {bin(), home(), data(), path(QStringLiteral("noviews"))}) {
        if (!QDir().mkpath(folder))
            return false;
    }
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data()));
    qputenv("SHELL", QFile::encodeName(zsh()));
    qputenv("PATH", QFile::encodeName(bin()));
    return true;
}

QString ToolMachine::tool(const QString &name, const QByteArray &body) const
{
    return TestSupport::writeScript(bin() + QLatin1Char('/') + name, body);
}

Configuration ToolMachine::configuration(const QString &viewsDir) const
{
    return TestSupport::configuration(path(QStringLiteral("screens")),
                                      viewsDir.isEmpty() ? path(QStringLiteral("noviews")) : viewsDir);
}
