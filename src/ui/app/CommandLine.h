// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

struct Configuration;

// The program's own command line, read before any window exists so that --help and --version
// work without a display:
//
//   tessarine [--welcome] [--edit-layout] [--connections]
//   tessarine --help | --version
//
// (`tessarine render …` is its own command and never comes here.) Qt's standard options, such
// as -platform NAME or -style NAME, are left for the application object.
class CommandLine
{
public:
    enum class Action
    {
        Run,     // start the card (or hand the launch arguments to the running one)
        Help,    // print helpText() and exit 0
        Version, // print versionText() and exit 0
        Fail,    // print error and the hint to --help, exit non-zero
    };

    // Reads the arguments that follow the program's name.
    static CommandLine parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The one-line reason of Fail, without the program's name.
    QString error() const { return m_error; }
    // --welcome, --edit-layout and --connections in the order given, each once.
    QStringList launchArguments() const { return m_launchArguments; }

    // The help, naming the files this configuration reads and writes.
    static QString helpText(const Configuration &configuration);
    static QString versionText();
    // The line after an error that points to the help.
    static QString helpHint();

    // The launch arguments the card understands, also the ones a second start hands over.
    static const QStringList &knownLaunchArguments();

private:
    Action m_action = Action::Run;
    QString m_error;
    QStringList m_launchArguments;
};
