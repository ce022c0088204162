#include "kit/PlatformWords.h"

#include <QTest>

class TestPlatformWords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replacesEveryWording_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("expected");
        QTest::newRow("computer") << QStringLiteral("Read through Codex on this Mac.")
                                  << QStringLiteral("Read through Codex on this computer.");
        QTest::newRow("shift shortcut before plain one")
            << QStringLiteral("Redo ⇧⌘Z, Undo ⌘Z") << QStringLiteral("Redo Ctrl+Shift+Z, Undo Ctrl+Z");
        QTest::newRow("install hint") << QStringLiteral("With Homebrew: brew install gh")
                                      << QStringLiteral("With apt: sudo apt install gh");
        QTest::newRow("privacy place")
            << QStringLiteral("Allow access in System Settings, under Privacy & Security, then Calendars.")
            << QStringLiteral("Allow access in Tessarine’s privacy settings.");
        QTest::newRow("several in one text") << QStringLiteral("Saved in the Keychain of this Mac")
                                             << QStringLiteral("Saved in the keyring of this computer");
        QTest::newRow("untouched") << QStringLiteral("Sign in to GitHub") << QStringLiteral("Sign in to GitHub");
    }

    void replacesEveryWording()
    {
        QFETCH(QString, original);
        QFETCH(QString, expected);
        QCOMPARE(PlatformWords::apply(original), expected);
    }

    void noReplacementReintroducesAnOriginalWording()
    {
        for (const auto &replacement : PlatformWords::table())
            QCOMPARE(PlatformWords::apply(replacement.local), replacement.local);
    }
};

QTEST_GUILESS_MAIN(TestPlatformWords)
#include "TestPlatformWords.moc"
