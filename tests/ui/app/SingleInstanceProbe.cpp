// SPDX-License-Identifier: GPL-3.0-or-later
// A small program around SingleInstance for TestSingleInstance:
//
//   single-instance-probe DIRECTORY [ARGUMENT…]
//
// prints "running", "handed-over" or "no-answer". The running one stays and prints
// "activated" and the arguments of every later start, one line each, until it is killed.

#include "ui/app/SingleInstance.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return 2;
    QTextStream out(stdout);
    SingleInstance instance(arguments.first());
    switch (instance.start(arguments.mid(1))) {
    case SingleInstance::Outcome::HandedOver:
        out << "handed-over" << Qt::endl;
        return 0;
    case SingleInstance::Outcome::NoAnswer:
        out << "no-answer" << Qt::endl;
        return 1;
    case SingleInstance::Outcome::Running:
        break;
    }
    out << "running" << Qt::endl;
    QObject::connect(&instance, &SingleInstance::activated, [&out](const QStringList &handed) {
        out << (QStringList{QStringLiteral("activated")} + handed).join(QLatin1Char(' ')) << Qt::endl;
    });
    return QCoreApplication::exec();
}
