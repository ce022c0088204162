// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FakeTools {

QString binDir()
{
    return QDir::homePath() + QStringLiteral("/bin");
}

bool isolated()
{
    return QDir::homePath().contains(QStringLiteral("/tessarine-test."));
}

bool inContinuousIntegration()
{
    const QString ci = qEnvironmentVariable("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != QStringLiteral("0") && ci != QStringLiteral("false") && ci != QStringLiteral("no");
}

void useLoginShell(const QString &shell)
{
    qputenv("SHELL", shell.toLocal8Bit());
    const QByteArray profile = "export PATH=\"$HOME/bin:$PATH\"\n";
    const QString name = QFileInfo(shell).fileName();
    const QString home = QDir::homePath();
    // Each shell reads a different file when started as a login shell.
    if (name == QStringLiteral("zsh"))
        TestSupport::writeFile(home + QStringLiteral("/.zprofile"), profile);
    else if (name == QStringLiteral("bash"))
        TestSupport::writeFile(home + QStringLiteral("/.bash_profile"), profile);
    else
        TestSupport::writeFile(home + QStringLiteral("/.profile"), profile);
}

QString install(const QString &name, const QByteArray &body)
{
    return TestSupport::writeScript(binDir() + QLatin1Char('/') + name, "#!/bin/sh\n" + body);
}

void remove(const QString &name)
{
    QFile::remove(binDir() + QLatin1Char('/') + name);
}

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // The state follows the parenthesised command name: "pid (name) S ...".
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

} // namespace FakeTools
