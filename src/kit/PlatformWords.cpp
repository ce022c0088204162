#include "PlatformWords.h"

#include <algorithm>

namespace PlatformWords {

const QList<Replacement> &table()
{
    static const QList<Replacement> replacements = [] {
        QList<Replacement> list{
            {QStringLiteral("this Mac"), QStringLiteral("this computer")},
            {QStringLiteral("Keychain"), QStringLiteral("keyring")},
            {QStringLiteral("⇧⌘"), QStringLiteral("Ctrl+Shift+")},
            {QStringLiteral("⌘"), QStringLiteral("Ctrl+")},
            {QStringLiteral("With Homebrew: brew install gh"), QStringLiteral("With apt: sudo apt install gh")},
            {QStringLiteral("in System Settings, under Privacy & Security, then Calendars"),
             QStringLiteral("in Tessarine’s privacy settings")},
            {QStringLiteral("in System Settings"), QStringLiteral("in Tessarine’s privacy settings")},
            {QStringLiteral("drag the new one to Applications"), QStringLiteral("install it")},
        };
        std::stable_sort(list.begin(), list.end(), [](const Replacement &a, const Replacement &b) {
            return a.original.size() > b.original.size();
        });
        return list;
    }();
    return replacements;
}

QString apply(const QString &text)
{
    QString result = text;
    for (const Replacement &replacement : table())
        result.replace(replacement.original, replacement.local);
    return result;
}

} // namespace PlatformWords
