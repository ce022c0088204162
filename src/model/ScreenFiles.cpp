// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenFiles.h"

#include "kit/Problem.h"
#include "kit/ScreenManifest.h"
#include "platform/AtomicFile.h"
#include "platform/JsonFile.h"
#include "platform/SmallFileReader.h"
#include "render/PngEncoder.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

// Far larger than any data document; a bigger file is not read whole into memory.
constexpr qint64 largestDataFile = 64 * 1024 * 1024;

} // namespace

const QString ScreenFiles::dataFileName = QStringLiteral("data.json");
const QString ScreenFiles::manifestFileName = QStringLiteral("manifest.json");

ScreenFiles::ScreenFiles(QString screensDir)
    : m_dir(std::move(screensDir))
{}

QString ScreenFiles::path(const QString &fileName) const
{
    return QDir(m_dir).filePath(fileName);
}

void ScreenFiles::ensureDirectory() const
{
    if (!QDir().mkpath(m_dir))
        throw Problem(QStringLiteral("Could not create the folder ") + QDir::toNativeSeparators(m_dir) +
                      QLatin1Char('.'));
    // The pictures and texts show the user's own figures: theirs alone to read, also in a folder
    // made before with a wider mode.
    QFile::setPermissions(m_dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void ScreenFiles::writeData(const QByteArray &json) const
{
    writeAtomically(dataFileName, json);
}

void ScreenFiles::writePicture(const QString &fileName, const QImage &picture) const
{
    if (picture.isNull())
        return;
    const QByteArray png = PngEncoder::encode(picture);
    if (png.isEmpty())
        return;
    writeAtomically(fileName, png);
}

void ScreenFiles::writePng(const QString &fileName, const QByteArray &png) const
{
    // Only a whole PNG file replaces a picture; anything else would leave a page the card cannot
    // show in place of the last good one.
    if (!png.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n")))
        throw Problem(QStringLiteral("The picture of ") + fileName + QStringLiteral(" is not a PNG file."));
    writeAtomically(fileName, png);
}

QString ScreenFiles::textFileName(const QString &pageName)
{
    return pageName + QStringLiteral(".txt");
}

void ScreenFiles::writeText(const QString &pageName, const QString &text) const
{
    writeAtomically(textFileName(pageName), text.toUtf8());
}

bool ScreenFiles::writeManifest(const ScreenManifest &manifest) const
{
    return JsonFile::writePretty(path(manifestFileName), QJsonDocument(manifest.toJson()));
}

std::optional<QString> ScreenFiles::readData() const
{
    const SmallFileReader::Result file = SmallFileReader::read(path(dataFileName), largestDataFile);
    if (!file.ok())
        return std::nullopt;
    return QString::fromUtf8(file.bytes);
}

void ScreenFiles::writeAtomically(const QString &fileName, const QByteArray &bytes) const
{
    // A link planted at the name is replaced, never written through.
    // The writer's message names the file and says what happened (a full disk, say).
    const QString problem = AtomicFile::write(path(fileName), bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!problem.isEmpty())
        throw Problem(problem);
}

void ScreenFiles::removePicturesExcept(const QStringList &pageNames, std::optional<ScreenLook> look) const
{
    // A page's name and what follows it: its text, or a picture named as ScreenLook names them.
    static const QRegularExpression pageFile(QStringLiteral("^(page[0-9]+)[.-]"));
    QDir dir(m_dir);
    // System: a dangling link is listed too. Folders are never removed.
    const QStringList names = dir.entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pageFile.match(name);
        if (!match.hasMatch())
            continue;
        const QString page = match.captured(1);
        // A page's text belongs to every look.
        const bool isText = name == page + QStringLiteral(".txt");
        const std::optional<ScreenLook> pictureLook = ScreenLook::ofPicture(name, page);
        if (!isText && !pictureLook)
            continue;
        const bool otherLook = pictureLook && look && *pictureLook != *look;
        if (!pageNames.contains(page) || otherLook)
            dir.remove(name);
    }
}
