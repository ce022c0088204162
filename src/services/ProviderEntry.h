// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// What the last refresh's data document says about one AI provider.
struct ProviderEntry
{
    QString status;                // "ok" when the plan was read
    std::optional<QString> reason; // why it was not, in the source's words
    std::optional<QString> plan;   // the plan's raw name, such as "prolite"

    bool operator==(const ProviderEntry &other) const = default;
};
