// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for Tessarine in the shell tests that kill it: runs one command through Shell::run
// with a long time-out and waits, so the test can kill this process and watch what becomes of
// the command.

#include "data/Shell.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>

using namespace std::chrono_literals;

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const QString command = QString::fromLocal8Bit(argv[1]);
    QCoro::connect(Shell::run(command, 600s), &application, [](const Shell::Result &) { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}
