// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/UserEnvironment.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using Variables = QMap<QString, QString>;

class TestUserEnvironment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the user's shell printed, read between this run's markers only.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("found");
        QTest::addColumn<Variables>("variables");

        const QByteArray mark = "M4RK";
        auto marked = [&](const QByteArray &inner) { return QByteArray(mark + inner + mark); };
        QTest::newRow("plain") << marked("PATH=/a:/b\0HOME=/h\0"_ba) << true
                               << Variables{{"PATH", "/a:/b"}, {"HOME", "/h"}};
        QTest::newRow("start files printed around it")
            << QByteArray("Welcome back\nPATH=/wrong\0"_ba + marked("PATH=/right\0"_ba) + "bye\n") << true
            << Variables{{"PATH", "/right"}};
        QTest::newRow("values with = and line breaks")
            << marked("A=x=y\0B=one\ntwo\0"_ba) << true << Variables{{"A", "x=y"}, {"B", "one\ntwo"}};
        QTest::newRow("the shell's own traces dropped")
            << marked("_=/usr/bin/env\0SHLVL=2\0PATH=/p\0"_ba) << true << Variables{{"PATH", "/p"}};
        QTest::newRow("entries without a name skipped")
            << marked("=x\0garbage\0PATH=/p\0"_ba) << true << Variables{{"PATH", "/p"}};
        QTest::newRow("stopped before the second marker") << QByteArray(mark + "PATH=/p\0"_ba) << false << Variables{};
        QTest::newRow("no marker at all") << "PATH=/p\0"_ba << false << Variables{};
        QTest::newRow("nothing between the markers") << marked({}) << false << Variables{};
    }

    void parse()
    {
        QFETCH(QByteArray, output);
        QFETCH(bool, found);
        QFETCH(Variables, variables);

        const std::optional<QProcessEnvironment> environment = UserEnvironment::parse(output, "M4RK");
        QCOMPARE(environment.has_value(), found);
        if (!environment)
            return;
        Variables read;
        for (const QString &name : environment->keys())
            read.insert(name, environment->value(name));
        QCOMPARE(read, variables);
    }
};

QTEST_GUILESS_MAIN(TestUserEnvironment)
#include "TestUserEnvironment.moc"
