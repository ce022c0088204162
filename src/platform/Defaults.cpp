// SPDX-License-Identifier: GPL-3.0-or-later
#include "Defaults.h"

#include "Paths.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace {

// Far more than the few display options ever take.
constexpr qint64 largestStore = 1024 * 1024;

// QSettings opens and reads its file as it is made: a named pipe in the file's place would stall
// the program until something writes to it, and a device would be read without end.
bool isUsable(const QString &path)
{
    const QFileInfo file(path);
    return !file.exists() || (file.isFile() && file.size() <= largestStore);
}

// When something else stands in the file's place, the options live in a file of this run's
// own, and whatever stands there is neither read nor replaced.
QString storeOfThisRun()
{
    static const QTemporaryDir folder;
    return folder.filePath(QStringLiteral("Tessarine.ini"));
}

std::unique_ptr<QSettings> openStore()
{
    const QString path = Paths::defaultsFile();
    return std::make_unique<QSettings>(isUsable(path) ? path : storeOfThisRun(), QSettings::IniFormat);
}

} // namespace

bool Defaults::boolValue(const QString &key)
{
    const QVariant value = openStore()->value(key);
    if (!value.isValid())
        return false;
    // INI files hold text; accept the spellings QSettings itself writes and plain numbers.
    const QString text = value.toString().trimmed().toLower();
    return text == QStringLiteral("true") || text == QStringLiteral("yes") || text == QStringLiteral("1");
}

int Defaults::intValue(const QString &key)
{
    bool ok = false;
    const int number = openStore()->value(key).toString().trimmed().toInt(&ok);
    return ok ? number : 0;
}

double Defaults::doubleValue(const QString &key)
{
    bool ok = false;
    const double number = openStore()->value(key).toString().trimmed().toDouble(&ok);
    return ok ? number : 0.0;
}

std::optional<QString> Defaults::stringValue(const QString &key)
{
    const QVariant value = openStore()->value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

bool Defaults::contains(const QString &key)
{
    return openStore()->contains(key);
}

void Defaults::setValue(const QString &key, const QVariant &value)
{
    openStore()->setValue(key, value);
}

void Defaults::remove(const QString &key)
{
    openStore()->remove(key);
}
