// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Configuration.h"
#include "platform/Paths.h"

#include <QtTest>

namespace {

QString number(const std::optional<int> &value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

// What the configuration holds for the variable TESSARINE_<name>.
QString field(const Configuration &c, const QByteArray &name)
{
    const QHash<QByteArray, QString> fields{{"SCREENS", c.screensDir},
                                            {"VIEWS", c.viewsDir},
                                            {"RENDERER", c.renderer},
                                            {"GITHUB_API", c.gitHubApi},
                                            {"GITHUB_WEB", c.gitHubWeb},
                                            {"UPDATE_FEED", c.updateFeed.toString()},
                                            {"EDITOR_SLOT", number(c.editorSlot)},
                                            {"WELCOME_STEP", number(c.welcomeStep)},
                                            {"LAYER_CARD", c.layerCardHelper.value_or(QStringLiteral("installed"))}};
    return fields.value(name);
}

} // namespace

// What each TESSARINE_* variable makes of the configuration the program reads once at start.
class TestConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void variable_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value"); // empty: unset
        QTest::addColumn<QString>("expected");

        const QList<std::tuple<const char *, const char *, QString>> rows{
            {"SCREENS", "/tmp/a//b/", "/tmp/a/b"},
            {"SCREENS", "", Paths::screensDir()},
            {"VIEWS", "/opt/views/", "/opt/views"},
            {"VIEWS", "", Paths::viewsDir()},
            {"RENDERER", "/bin/true", "/bin/true"},
            {"RENDERER", "", ""},
            {"GITHUB_API", "http://127.0.0.1:1234", "http://127.0.0.1:1234/"},
            {"GITHUB_API", "", "https://api.github.com/"},
            {"GITHUB_WEB", "http://127.0.0.1:9", "http://127.0.0.1:9/"},
            {"GITHUB_WEB", "", "https://github.com/"},
            {"UPDATE_FEED", "http://127.0.0.1:9/f.json", "http://127.0.0.1:9/f.json"},
            {"UPDATE_FEED", "", "https://tessarine.app/latest.json"},
            {"LAYER_CARD", "/opt/card", "/opt/card"},
            {"LAYER_CARD", "none", "none"}};

        for (const auto &[name, value, expected] : rows)
            QTest::addRow("%s '%s'", name, value) << QByteArray(name) << QByteArray(value) << expected;
        // Numbers, as "value>read" separated by "|".
        const QList<std::pair<const char *, QString>> numbers{
            {"EDITOR_SLOT", "1>1|+2>2|0>0| 3 >3|second>none|>none|-1>none|1.5>none"},
            {"WELCOME_STEP", "1>1|+2>2|7>7|-1>-1|three>none|3x>none| 3>none|>none"}};
        for (const auto &[name, cases] : numbers) {
            for (const QString &read : cases.split(u'|')) {
                const QByteArray value = read.section(u'>', 0, 0).toUtf8();
                QTest::addRow("%s '%s'", name, value.constData()) << QByteArray(name) << value << read.section(u'>', 1);
            }
        }
    }

    void variable()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);

        const QByteArray variable = "TESSARINE_" + name;
        qputenv(variable.constData(), value);
        QCOMPARE(field(Configuration::fromEnvironment(), name), expected);
        qunsetenv(variable.constData());
    }

    void settingsFileLiesBesideTheScreens()
    {
        Configuration configuration;
        configuration.screensDir = QStringLiteral("/tmp/a/screens");
        QCOMPARE(configuration.settingsFile(), QStringLiteral("/tmp/a/settings.json"));
    }
};

QTEST_GUILESS_MAIN(TestConfiguration)
#include "TestConfiguration.moc"
