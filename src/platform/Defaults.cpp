// SPDX-License-Identifier: GPL-3.0-or-later
#include "Defaults.h"

#include <QSettings>
#include <memory>

namespace {

std::unique_ptr<QSettings> openStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessarine"),
                                       QStringLiteral("Tessarine"));
}

} // namespace

bool Defaults::boolValue(const QString &key)
{
    const QVariant value = openStore()->value(key);
    if (!value.isValid())
        return false;
    // INI files hold text; accept the spellings QSettings itself writes and plain numbers.
    const QString text = value.toString().trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("yes") || text == QLatin1String("1");
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
