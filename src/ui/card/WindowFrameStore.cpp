// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFrameStore.h"

#include "platform/Defaults.h"

#include <QStringList>

namespace WindowFrameStore {

std::optional<QRect> load(const QString &name)
{
    const std::optional<QString> stored = Defaults::stringValue(name);
    if (!stored)
        return std::nullopt;
    const QStringList parts = stored->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0)
        return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

void save(const QString &name, const QRect &frame)
{
    Defaults::setValue(
        name, QStringLiteral("%1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height()));
}

} // namespace WindowFrameStore
