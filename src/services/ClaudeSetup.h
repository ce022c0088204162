// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

// Installs Tessarine's status-line script as Claude Code's status line, takes it out again and
// tells whether it is installed. Claude Code hands its plan usage only to the status-line
// command, so the script is how Tessarine learns it; the user's own status-line command is kept
// in a file of Tessarine's and put back on removal. Claude Code's settings are looked for where
// Claude Code reads them: in $CLAUDE_CONFIG_DIR when the user's environment sets it (ClaudeCodeFolder).
//
// Every operation reads the disk afresh and runs synchronously: the files involved are small.
// Claude Code's settings file is never left truncated, and never changed when a problem is
// reported; each write of an existing settings file first copies it to a backup, and an earlier
// backup of another version is kept under a name of its own. Only the status line is edited,
// in the file's own text, so every other value stays exactly as written.
class ClaudeSetup
{
public:
    struct Status
    {
        enum class Kind
        {
            connected,
            notSetUp,
            claudeCodeMissing
        };

        Kind kind = Kind::notSetUp;
        // When the script last wrote its report; only ever set when connected.
        std::optional<QDateTime> lastReport;

        static Status connected(std::optional<QDateTime> lastReport = std::nullopt)
        {
            return {Kind::connected, std::move(lastReport)};
        }
        static Status notSetUp() { return {Kind::notSetUp, std::nullopt}; }
        static Status claudeCodeMissing() { return {Kind::claudeCodeMissing, std::nullopt}; }

        bool operator==(const Status &other) const = default;
    };

    // Why a set-up or removal failed, in the words shown to the user.
    struct Problem
    {
        QString message;

        bool operator==(const Problem &other) const = default;
    };

    ClaudeSetup() = delete;

    static Status status();

    // Installs the shipped script and makes it Claude Code's status line.
    [[nodiscard]] static std::optional<Problem> setUp();
    // The same with the script taken from shippedScript, so a build without it can be told apart.
    [[nodiscard]] static std::optional<Problem> setUp(const QString &shippedScript);
    // Gives the user's earlier status line back, or takes the status line out when there was none.
    [[nodiscard]] static std::optional<Problem> remove();

    // The file name of Tessarine's status-line script.
    static QString marker();
    // Whether a status-line command is Tessarine's own: exactly the quoted path commandFor()
    // writes for the installed script (in this or another data folder). A user's command that
    // merely mentions a script of the same name is the user's.
    static bool isOwnCommand(const QString &command);
    // The status-line command for a script at scriptPath: the path single-quoted for a POSIX shell.
    static QString commandFor(const QString &scriptPath);

    static QString settingsPath();
    static QString backupPath();
    static QString scriptPath();
    static QString previousPath();
    static QString reportPath();
    // What Set Up replaced in the settings, kept for Remove.
    static QString replacedPath();

    // How many backups of earlier versions are kept beside the newest one.
    static constexpr int earlierBackupsKept = 4;
    static QString shippedScriptPath();

private:
    static std::optional<QString> currentCommand();
    static std::optional<QString> commandIn(const QJsonObject &settings);
    static std::optional<QDateTime> lastReport();
    [[nodiscard]] static std::optional<Problem> readSettingsForEdit(QByteArray &text, QJsonObject &settings);
    [[nodiscard]] static std::optional<Problem> installScript(const QString &shippedScript);
    [[nodiscard]] static std::optional<Problem> keepPreviousCommand(const QJsonObject &settings);
    [[nodiscard]] static std::optional<Problem> writeSettings(const QByteArray &text);
    [[nodiscard]] static std::optional<Problem> backUpSettings();
    [[nodiscard]] static std::optional<Problem> writeReplaced(const std::optional<QByteArray> &before,
                                                              const QByteArray &written,
                                                              const std::optional<QByteArray> &statusLine);
    static std::optional<QByteArray> restoredSettings(const QByteArray &current);
};
