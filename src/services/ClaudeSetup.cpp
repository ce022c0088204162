// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClaudeSetup.h"

#include "JsonObjectText.h"
#include "data/ClaudeCodeFolder.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/SmallFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace {

// Claude Code's settings and the script's report are a few kilobytes; anything near this is not
// a file Tessarine should load, let alone rewrite.
constexpr qint64 maxFileBytes = 8 * 1024 * 1024;

const QString notAnObjectMessage =
    QStringLiteral("Claude Code’s settings file isn’t valid JSON, so Tessarine left it alone.");
const QString tooLargeMessage = QStringLiteral("Claude Code’s settings file is too large, so Tessarine left it alone.");

ClaudeSetup::Problem fileProblem(const QString &verb, const QString &path, const QString &reason)
{
    return {QStringLiteral("Tessarine couldn’t %1 “%2” (%3).").arg(verb, QDir::toNativeSeparators(path), reason)};
}

std::optional<ClaudeSetup::Problem> makeDirectory(const QString &path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()), error);
    if (error)
        return fileProblem(QStringLiteral("create the folder"), path, QString::fromStdString(error.message()));
    return std::nullopt;
}

// What Set Up replaced, so that Remove can give it back byte for byte: the whole file as Set Up
// found it (none when there was no file), the file as Set Up wrote it, and the text of the
// status-line value it replaced (none when there was no status line). Stored as base64, since
// only exact bytes give back exactly what the user had.
struct Replaced
{
    std::optional<QByteArray> before;
    QByteArray written;
    std::optional<QByteArray> statusLine;
};

const QString beforeKey = QStringLiteral("settingsBefore");
const QString writtenKey = QStringLiteral("settingsWritten");
const QString replacedStatusLineKey = QStringLiteral("statusLine");

QJsonValue encoded(const std::optional<QByteArray> &bytes)
{
    return bytes ? QJsonValue(QString::fromLatin1(bytes->toBase64())) : QJsonValue();
}

std::optional<QByteArray> decoded(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    return QByteArray::fromBase64(value.toString().toLatin1());
}

// Through the one durable writer: on a full disk the old file stays and the message says so.
std::optional<ClaudeSetup::Problem> writeAtomically(const QString &path, const QByteArray &bytes,
                                                    std::optional<QFileDevice::Permissions> permissions = std::nullopt)
{
    const QString problem = permissions ? AtomicFile::write(path, bytes, *permissions) : AtomicFile::write(path, bytes);
    if (!problem.isEmpty())
        return ClaudeSetup::Problem{problem};
    return std::nullopt;
}

// The settings file may hold secrets (tokens in environment values): what is kept of it is no
// more readable to others than the file itself.
QFileDevice::Permissions settingsPermissions()
{
    const QFileDevice::Permissions permissions = QFile::permissions(ClaudeSetup::settingsPath());
    return permissions ? permissions : QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

// Tells "not JSON at all" from "JSON, but not an object": QJsonDocument refuses a bare scalar
// with a parse error, so a failed document is tried again as the one element of an array.
bool isJsonScalar(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + bytes + ']', &error);
    return error.error == QJsonParseError::NoError && wrapped.array().size() == 1;
}

// The settings as an object, or the problem that keeps Tessarine from editing them.
std::optional<ClaudeSetup::Problem> parseSettings(const QByteArray &bytes, QJsonObject &settings)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        if (isJsonScalar(bytes))
            return ClaudeSetup::Problem{notAnObjectMessage};
        return ClaudeSetup::Problem{
            QStringLiteral("Claude Code’s settings file couldn’t be read as JSON: %1 at character %2.")
                .arg(error.errorString())
                .arg(error.offset)};
    }
    if (!document.isObject())
        return ClaudeSetup::Problem{notAnObjectMessage};
    settings = document.object();
    return std::nullopt;
}

std::optional<QJsonObject> readObject(const QString &path)
{
    const SmallFileReader::Result file = SmallFileReader::read(path, maxFileBytes);
    if (!file.ok())
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.bytes);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

// An internet date-time as Claude's report writes it: seconds precision and a zone, nothing more.
std::optional<QDateTime> parseInternetDateTime(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(Z|[+-]\d{2}:\d{2})$)"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

QJsonObject statusLineFor(const QString &command)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("command")}, {QStringLiteral("command"), command}};
}

const QString statusLineKey = QStringLiteral("statusLine");
const QString commandKey = QStringLiteral("command");
const QString typeKey = QStringLiteral("type");

// The settings with the status line running `command`. The user's other status-line keys (a
// padding, say) stay as written; only the type and the command are Tessarine's to set.
QByteArray withCommand(const QByteArray &settingsText, const QJsonObject &settings, const QString &command)
{
    JsonObjectText text(settingsText);
    if (settings.value(statusLineKey).isObject()) {
        JsonObjectText statusLine(text.value(statusLineKey).value_or(QByteArrayLiteral("{}")));
        statusLine.set(typeKey, JsonObjectText::quoted(QStringLiteral("command")));
        statusLine.set(commandKey, JsonObjectText::quoted(command));
        // The value's lines already carry their indentation in the file: set as they stand, so
        // each edit does not indent them deeper.
        text.setVerbatim(statusLineKey, statusLine.text());
    } else {
        // A file written on one line stays on one line.
        const bool oneLine = !settingsText.trimmed().contains('\n');
        text.set(
            statusLineKey,
            QJsonDocument(statusLineFor(command)).toJson(oneLine ? QJsonDocument::Compact : QJsonDocument::Indented));
    }
    return text.text();
}

// The path inside a command as commandFor() writes it: one single-quoted word; none for any
// other command.
std::optional<QString> quotedPath(const QString &command)
{
    if (command.size() < 2 || !command.startsWith(QLatin1Char('\'')) || !command.endsWith(QLatin1Char('\'')))
        return std::nullopt;
    QString path = command.mid(1, command.size() - 2);
    path.replace(QStringLiteral("'\\''"), QStringLiteral("'"));
    if (ClaudeSetup::commandFor(path) != command)
        return std::nullopt;
    return path;
}

// The backups of earlier versions beside the newest one: "<backup>-<yyyyMMdd-HHmmss>[-n]".
QFileInfoList earlierBackups(const QString &backup)
{
    const QFileInfo info(backup);
    static const QRegularExpression stamped(QStringLiteral("^-\\d{8}-\\d{6}(-\\d+)?$"));
    QFileInfoList found;
    const QFileInfoList candidates = info.dir().entryInfoList({info.fileName() + QStringLiteral("-*")},
                                                              QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &candidate : candidates) {
        if (stamped.match(candidate.fileName().mid(info.fileName().size())).hasMatch())
            found.append(candidate);
    }
    // Newest first.
    std::sort(found.begin(), found.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() != b.lastModified() ? a.lastModified() > b.lastModified() : a.fileName() > b.fileName();
    });
    return found;
}

// Marks a kept backup as the newest of its kind again.
void touch(const QString &path)
{
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, 0);
}

// The newest backup is about to be replaced: the version it holds is kept under a name of its own,
// unless an earlier backup already holds it (one backup per version, however often Set Up and
// Remove alternate); only the newest few earlier versions are kept.
std::optional<ClaudeSetup::Problem> keepDistinctBackup(const QString &backup, const QByteArray &current)
{
    const SmallFileReader::Result old = SmallFileReader::read(backup, maxFileBytes);
    if (old.outcome == SmallFileReader::Outcome::missing || (old.ok() && old.bytes == current))
        return std::nullopt;
    QFileInfoList earlier = earlierBackups(backup);
    const auto same = std::find_if(earlier.cbegin(), earlier.cend(), [&old](const QFileInfo &info) {
        const SmallFileReader::Result kept = SmallFileReader::read(info.filePath(), maxFileBytes);
        return old.ok() && kept.ok() && kept.bytes == old.bytes;
    });
    if (same != earlier.cend()) {
        touch(same->filePath());
    } else {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString kept = backup + QLatin1Char('-') + stamp;
        for (int copy = 2; QFileInfo::exists(kept) || QFileInfo(kept).isSymLink(); ++copy)
            kept = backup + QLatin1Char('-') + stamp + QLatin1Char('-') + QString::number(copy);
        QFile file(backup);
        if (!file.rename(kept))
            return fileProblem(QStringLiteral("keep the earlier backup"), backup, file.errorString());
        touch(kept);
    }
    // The newest backup is about to hold `current`: an earlier copy of it would be a second one.
    earlier = earlierBackups(backup);
    earlier.removeIf([&current](const QFileInfo &info) {
        const SmallFileReader::Result kept = SmallFileReader::read(info.filePath(), maxFileBytes);
        return kept.ok() && kept.bytes == current && QFile::remove(info.filePath());
    });
    for (qsizetype index = ClaudeSetup::earlierBackupsKept; index < earlier.size(); ++index)
        QFile::remove(earlier.at(index).filePath());
    return std::nullopt;
}

} // namespace

QString ClaudeSetup::marker()
{
    return QStringLiteral("claude-statusline.sh");
}

QString ClaudeSetup::commandFor(const QString &scriptPath)
{
    // Inside single quotes a POSIX shell takes everything literally except the closing quote, so a
    // quote in the path closes the string, adds an escaped quote and opens a new one.
    QString quoted = scriptPath;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString ClaudeSetup::settingsPath()
{
    return ClaudeCodeFolder::path() + QStringLiteral("/settings.json");
}

QString ClaudeSetup::backupPath()
{
    return ClaudeCodeFolder::path() + QStringLiteral("/settings.json.bak-tessarine");
}

QString ClaudeSetup::scriptPath()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/claude-statusline.sh");
}

QString ClaudeSetup::previousPath()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/claude-statusline-previous.txt");
}

QString ClaudeSetup::replacedPath()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/claude-statusline-replaced.json");
}

QString ClaudeSetup::reportPath()
{
    return Paths::applicationSupport() + QStringLiteral("/Tessarine/claude.json");
}

QString ClaudeSetup::shippedScriptPath()
{
    return Paths::resourcesDir() + QStringLiteral("/claude-statusline.sh");
}

bool ClaudeSetup::isOwnCommand(const QString &command)
{
    if (command == commandFor(scriptPath()))
        return true;
    // Also the script installed under another data folder (another XDG_DATA_HOME, a moved home),
    // but only in the exact form Tessarine writes: a user's "bash ~/claude-statusline.sh" is the
    // user's own.
    const std::optional<QString> path = quotedPath(command);
    return path && path->endsWith(QStringLiteral("/Tessarine/") + marker());
}

ClaudeSetup::Status ClaudeSetup::status()
{
    if (!QFileInfo::exists(ClaudeCodeFolder::path()))
        return Status::claudeCodeMissing();
    const std::optional<QString> command = currentCommand();
    if (command && isOwnCommand(*command))
        return Status::connected(lastReport());
    return Status::notSetUp();
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::setUp()
{
    return setUp(shippedScriptPath());
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::setUp(const QString &shippedScript)
{
    if (auto problem = makeDirectory(QFileInfo(scriptPath()).absolutePath()))
        return problem;
    if (!QFileInfo(shippedScript).isFile())
        return Problem{QStringLiteral("The status line script is missing from this build.")};
    if (auto problem = installScript(shippedScript))
        return problem;

    const bool existed = QFileInfo::exists(settingsPath());
    QByteArray text;
    QJsonObject settings;
    if (auto problem = readSettingsForEdit(text, settings))
        return problem;
    if (auto problem = keepPreviousCommand(settings))
        return problem;
    const QByteArray updated = withCommand(text, settings, commandFor(scriptPath()));
    const std::optional<QString> command = commandIn(settings);
    if (!command || !isOwnCommand(*command)) {
        const std::optional<QByteArray> before = existed ? std::optional(text) : std::nullopt;
        if (auto problem = writeReplaced(before, updated, JsonObjectText(text).value(statusLineKey)))
            return problem;
    } else if (updated != text) {
        // Set up again over a file that changed since: only the status line can be given back.
        const std::optional<QJsonObject> record = readObject(replacedPath());
        if (record) {
            if (auto problem = writeReplaced(std::nullopt, updated, decoded(record->value(replacedStatusLineKey))))
                return problem;
        }
    }
    return writeSettings(updated);
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::writeReplaced(const std::optional<QByteArray> &before,
                                                               const QByteArray &written,
                                                               const std::optional<QByteArray> &statusLine)
{
    const QJsonObject record{
        {beforeKey, encoded(before)}, {writtenKey, encoded(written)}, {replacedStatusLineKey, encoded(statusLine)}};
    return writeAtomically(replacedPath(), QJsonDocument(record).toJson(), settingsPermissions());
}

// The settings with what Set Up replaced given back: the whole file as it was when nothing else
// changed since, else the status line's own text; none when there is no record of it.
std::optional<QByteArray> ClaudeSetup::restoredSettings(const QByteArray &current)
{
    const std::optional<QJsonObject> record = readObject(replacedPath());
    if (!record || !record->value(writtenKey).isString())
        return std::nullopt;
    const std::optional<QByteArray> before = decoded(record->value(beforeKey));
    if (before && decoded(record->value(writtenKey)) == current)
        return before;
    JsonObjectText edited(current);
    if (const std::optional<QByteArray> statusLine = decoded(record->value(replacedStatusLineKey)))
        edited.setVerbatim(statusLineKey, *statusLine);
    else
        edited.remove(statusLineKey);
    return edited.text();
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::remove()
{
    QByteArray text;
    QJsonObject settings;
    if (auto problem = readSettingsForEdit(text, settings))
        return problem;

    // Only Tessarine's own status line is taken out. Anything else is the user's: a second
    // Remove, or one after the user changed the command, must not replace or delete it.
    const std::optional<QString> command = commandIn(settings);
    if (!command || !isOwnCommand(*command))
        return std::nullopt;

    // A kept command that is there but cannot be read is not "no command": taking the status line
    // out would lose it for good, so nothing is changed and the reason is shown instead.
    const SmallFileReader::Result previous = SmallFileReader::read(previousPath(), maxFileBytes);
    if (previous.outcome == SmallFileReader::Outcome::failed)
        return fileProblem(QStringLiteral("read"), previousPath(), previous.error);
    if (previous.outcome == SmallFileReader::Outcome::tooLarge)
        return fileProblem(QStringLiteral("read"), previousPath(), QStringLiteral("it is too large"));
    // What Set Up replaced, given back exactly; a set-up older than that record gets the kept
    // command back instead.
    if (const std::optional<QByteArray> restored = restoredSettings(text)) {
        if (auto problem = writeSettings(*restored))
            return problem;
        QFile::remove(previousPath());
        QFile::remove(replacedPath());
        return std::nullopt;
    }
    const QString previousCommand = previous.ok() ? QString::fromUtf8(previous.bytes) : QString();
    QByteArray restored;
    if (previousCommand.isEmpty()) {
        JsonObjectText edited(text);
        edited.remove(statusLineKey);
        restored = edited.text();
    } else {
        restored = withCommand(text, settings, previousCommand);
    }
    if (auto problem = writeSettings(restored))
        return problem;
    QFile::remove(previousPath());
    return std::nullopt;
}

std::optional<QString> ClaudeSetup::currentCommand()
{
    const std::optional<QJsonObject> settings = readObject(settingsPath());
    return settings ? commandIn(*settings) : std::nullopt;
}

std::optional<QString> ClaudeSetup::commandIn(const QJsonObject &settings)
{
    const QJsonValue command = settings.value(statusLineKey).toObject().value(QStringLiteral("command"));
    if (!command.isString())
        return std::nullopt;
    return command.toString();
}

std::optional<QDateTime> ClaudeSetup::lastReport()
{
    const std::optional<QJsonObject> report = readObject(reportPath());
    if (!report)
        return std::nullopt;
    const QJsonValue savedAt = report->value(QStringLiteral("savedAt"));
    return savedAt.isString() ? parseInternetDateTime(savedAt.toString()) : std::nullopt;
}

// A settings file that does not exist yet is an empty object. One that exists but cannot be read
// is a problem, not an empty object: writing over it would throw away the user's settings.
std::optional<ClaudeSetup::Problem> ClaudeSetup::readSettingsForEdit(QByteArray &text, QJsonObject &settings)
{
    const SmallFileReader::Result file = SmallFileReader::read(settingsPath(), maxFileBytes);
    switch (file.outcome) {
    case SmallFileReader::Outcome::missing:
        text = QByteArrayLiteral("{\n}\n");
        settings = QJsonObject();
        return std::nullopt;
    case SmallFileReader::Outcome::tooLarge:
        return Problem{tooLargeMessage};
    case SmallFileReader::Outcome::failed:
        return fileProblem(QStringLiteral("read"), settingsPath(), file.error);
    case SmallFileReader::Outcome::read:
        break;
    }
    text = file.bytes;
    return parseSettings(file.bytes, settings);
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::installScript(const QString &shippedScript)
{
    // Replaced in one step (a link at the name too): on a full disk the installed copy stays.
    const QString target = scriptPath();
    const SmallFileReader::Result script = SmallFileReader::read(shippedScript, maxFileBytes);
    if (!script.ok())
        return fileProblem(QStringLiteral("read"), shippedScript, script.error);
    const auto executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                            QFileDevice::ExeOther;
    return writeAtomically(target, script.bytes, executable);
}

// The user's own status-line command is kept so that the script can go on running it and Remove
// can put it back. Tessarine's own command is never kept, so a second set-up keeps the first copy.
std::optional<ClaudeSetup::Problem> ClaudeSetup::keepPreviousCommand(const QJsonObject &settings)
{
    const std::optional<QString> command = commandIn(settings);
    if (!command || isOwnCommand(*command))
        return std::nullopt;
    // The command may hold secrets (a token in an environment variable, say): it is no more
    // readable to others than the settings it came from.
    return writeAtomically(previousPath(), command->toUtf8(), QFile::permissions(settingsPath()));
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::writeSettings(const QByteArray &text)
{
    if (auto problem = makeDirectory(QFileInfo(settingsPath()).absolutePath()))
        return problem;
    if (QFileInfo::exists(settingsPath())) {
        if (auto problem = backUpSettings())
            return problem;
    }
    // The text was edited in place, so everything but the status line reads as the user wrote it
    // (a file without a final line break included).
    return writeAtomically(settingsPath(), text);
}

std::optional<ClaudeSetup::Problem> ClaudeSetup::backUpSettings()
{
    const QString backup = backupPath();
    const SmallFileReader::Result current = SmallFileReader::read(settingsPath(), maxFileBytes);
    if (!current.ok())
        return fileProblem(QStringLiteral("read"), settingsPath(), current.error);
    if (auto problem = keepDistinctBackup(backup, current.bytes))
        return problem;
    return writeAtomically(backup, current.bytes, settingsPermissions());
}
