// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Configuration.h"
#include "platform/Paths.h"

#include <QtTest>
#include <functional>

namespace {

using Field = std::function<QString(const Configuration &)>;

QString number(const std::optional<int> &value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

const QByteArrayList variables{"TESSARINE_SCREENS",     "TESSARINE_VIEWS",       "TESSARINE_RENDERER",
                               "TESSARINE_GITHUB_API",  "TESSARINE_GITHUB_WEB",  "TESSARINE_UPDATE_FEED",
                               "TESSARINE_EDITOR_SLOT", "TESSARINE_WELCOME_STEP"};

} // namespace

// What each TESSARINE_* variable makes of the configuration the program reads once at start.
class TestConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        for (const QByteArray &name : variables)
            qunsetenv(name.constData());
    }

    void variable_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("expected");

        const Field screens = [](const Configuration &c) { return c.screensDir; };
        const Field settings = [](const Configuration &c) { return c.settingsFile(); };
        const Field views = [](const Configuration &c) { return c.viewsDir; };
        const Field renderer = [](const Configuration &c) { return c.renderer; };
        const Field api = [](const Configuration &c) { return c.gitHubApi; };
        const Field web = [](const Configuration &c) { return c.gitHubWeb; };
        const Field feed = [](const Configuration &c) { return c.updateFeed.toString(); };
        const Field slot = [](const Configuration &c) { return number(c.editorSlot); };
        const Field step = [](const Configuration &c) { return number(c.welcomeStep); };

        QTest::newRow("screens, cleaned")
            << QByteArray("TESSARINE_SCREENS") << QByteArray("/tmp/a//b/") << screens << "/tmp/a/b";
        QTest::newRow("screens unset") << QByteArray("TESSARINE_SCREENS") << QByteArray() << screens
                                       << Paths::screensDir();
        QTest::newRow("settings beside the screens")
            << QByteArray("TESSARINE_SCREENS") << QByteArray("/tmp/a/screens") << settings << "/tmp/a/settings.json";
        QTest::newRow("views") << QByteArray("TESSARINE_VIEWS") << QByteArray("/opt/views/") << views << "/opt/views";
        QTest::newRow("views unset") << QByteArray("TESSARINE_VIEWS") << QByteArray() << views << Paths::viewsDir();
        QTest::newRow("renderer") << QByteArray("TESSARINE_RENDERER") << QByteArray("/bin/true") << renderer
                                  << "/bin/true";
        QTest::newRow("renderer unset: this program")
            << QByteArray("TESSARINE_RENDERER") << QByteArray() << renderer << QString();
        QTest::newRow("API gets its slash") << QByteArray("TESSARINE_GITHUB_API") << QByteArray("http://127.0.0.1:1234")
                                            << api << "http://127.0.0.1:1234/";
        QTest::newRow("API unset") << QByteArray("TESSARINE_GITHUB_API") << QByteArray() << api
                                   << "https://api.github.com/";
        QTest::newRow("web host gets its slash")
            << QByteArray("TESSARINE_GITHUB_WEB") << QByteArray("http://127.0.0.1:9") << web << "http://127.0.0.1:9/";
        QTest::newRow("web host unset") << QByteArray("TESSARINE_GITHUB_WEB") << QByteArray() << web
                                        << "https://github.com/";
        QTest::newRow("feed") << QByteArray("TESSARINE_UPDATE_FEED") << QByteArray("http://127.0.0.1:9/f.json") << feed
                              << "http://127.0.0.1:9/f.json";
        QTest::newRow("feed unset") << QByteArray("TESSARINE_UPDATE_FEED") << QByteArray() << feed
                                    << "https://tessarine.app/latest.json";

        const QList<std::pair<const char *, const char *>> slots{{"1", "1"},   {"+2", "2"}, {"0", "0"},
                                                                 {" 3 ", "3"}, {"7", "7"},  {"second", ""},
                                                                 {"", ""},     {"-1", ""},  {"1.5", ""}};
        for (const auto &[value, expected] : slots)
            QTest::addRow("editor slot '%s'", value) << QByteArray("TESSARINE_EDITOR_SLOT") << QByteArray(value) << slot
                                                     << (*expected ? QString::fromLatin1(expected) : "none");
        const QList<std::pair<const char *, const char *>> steps{{"1", "1"},    {"+2", "2"}, {"7", "7"}, {"-1", "-1"},
                                                                 {"three", ""}, {"3x", ""},  {" 3", ""}, {"", ""}};
        for (const auto &[value, expected] : steps)
            QTest::addRow("welcome step '%s'", value) << QByteArray("TESSARINE_WELCOME_STEP") << QByteArray(value)
                                                      << step << (*expected ? QString::fromLatin1(expected) : "none");
    }

    void variable()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        QFETCH(Field, field);
        QFETCH(QString, expected);

        qputenv(name.constData(), value);
        QCOMPARE(field(Configuration::fromEnvironment()), expected);
    }
};

QTEST_GUILESS_MAIN(TestConfiguration)
#include "TestConfiguration.moc"
