// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolMachine.h"

#include "FakeTools.h"
#include "RunConfiguration.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

ToolMachine::ToolMachine(const QString &binName)
    : m_binName(binName)
{}

QString ToolMachine::zsh()
{
    // Looked up once, while the PATH is still the one the test was started with.
    static const QString path = QStandardPaths::findExecutable(QStringLiteral("zsh"));
    return path;
}

void ToolMachine::requireZsh()
{
    if (!zsh().isEmpty())
        return;
    QVERIFY2(!FakeTools::inContinuousIntegration(), "zsh is missing; scripts/install-deps installs it");
    QSKIP("zsh is needed to run the tool probe against fake tools");
}

bool ToolMachine::enter()
{
    if (!m_root.isValid())
        return false;
    for (const QString &folder : {bin(), home(), data(), screens(), path(QStringLiteral("noviews"))}) {
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

void ToolMachine::find(const QStringList &things) const
{
    for (const QString &thing : things) {
        if (thing == QStringLiteral("gh"))
            tool(thing, "#!/bin/sh\n[ \"$1 $2\" = 'api user' ] && echo octo-cat\n");
        else if (thing == QStringLiteral("gh-signed-out"))
            tool(QStringLiteral("gh"), "#!/bin/sh\nexit 1\n");
        else if (thing == QStringLiteral("claude"))
            QDir().mkpath(home() + QStringLiteral("/.claude"));
        else if (thing == QStringLiteral("wispr"))
            TestSupport::writeFile(wisprDatabase(), QByteArray());
        else
            tool(thing, "#!/bin/sh\nexit 0\n");
    }
}

Configuration ToolMachine::configuration(const QString &viewsDir) const
{
    return TestSupport::configuration(screens(), viewsDir.isEmpty() ? path(QStringLiteral("noviews")) : viewsDir);
}
