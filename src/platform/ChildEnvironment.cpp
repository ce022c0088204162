// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildEnvironment.h"

#include <QStringList>

namespace ChildEnvironment {

bool isPassedOn(const QString &name)
{
    static const QStringList names{
        QStringLiteral("HOME"),
        QStringLiteral("PATH"),
        QStringLiteral("LANG"),
        QStringLiteral("LANGUAGE"),
        QStringLiteral("TZ"),
        QStringLiteral("TMPDIR"),
        QStringLiteral("USER"),
        QStringLiteral("LOGNAME"),
        QStringLiteral("LD_LIBRARY_PATH"),
        QStringLiteral("DISPLAY"),
        QStringLiteral("WAYLAND_DISPLAY"),
    };
    // Qt's own settings (the web engine's included), Tessarine's hooks, the desktop's folders,
    // the locale, fonts and the sanitizers' options of a test build.
    static const QStringList prefixes{
        QStringLiteral("QT_"),   QStringLiteral("QTWEBENGINE_"), QStringLiteral("TESSARINE_"),
        QStringLiteral("XDG_"),  QStringLiteral("LC_"),          QStringLiteral("FONTCONFIG_"),
        QStringLiteral("ASAN_"), QStringLiteral("LSAN_"),        QStringLiteral("UBSAN_"),
    };
    if (names.contains(name))
        return true;
    for (const QString &prefix : prefixes) {
        if (name.startsWith(prefix))
            return true;
    }
    return false;
}

QProcessEnvironment minimal(const QProcessEnvironment &from)
{
    QProcessEnvironment passed;
    const QStringList keys = from.keys();
    for (const QString &key : keys) {
        if (isPassedOn(key))
            passed.insert(key, from.value(key));
    }
    return passed;
}

} // namespace ChildEnvironment
