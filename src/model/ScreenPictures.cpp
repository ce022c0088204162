// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenPictures.h"

#include "PageTexts.h"
#include "platform/JsonFile.h"
#include "platform/SmallFileReader.h"

#include <QDir>
#include <algorithm>

namespace {

// A page picture at the largest scale is a few megabytes; a bigger file is not read whole.
constexpr qint64 largestPicture = 64 * 1024 * 1024;

// The picture at `path` as the card holds it (see DecodedPictures::decode). Read through the
// bounded reader: a picture name that is a named pipe or a device must not stall the start.
QImage readPicture(const QString &path, int widthLimit)
{
    const SmallFileReader::Result file = SmallFileReader::read(path, largestPicture);
    if (!file.ok())
        return {};
    return DecodedPictures::decode(file.bytes, widthLimit);
}

} // namespace

ScreenPictures::ScreenPictures(const QString &screensDir, ScreenLook chosenLook, QObject *parent)
    : QObject(parent)
    , m_screensDir(screensDir)
    , m_chosenLook(chosenLook)
    , m_picturesLook(chosenLook)
{}

void ScreenPictures::readManifest()
{
    // A manifest that cannot be read keeps the one held; one that reads but does not decode
    // clears it.
    const SmallFileReader::Result file =
        SmallFileReader::read(QDir(m_screensDir).filePath(QStringLiteral("manifest.json")), JsonFile::defaultMaxBytes);
    if (file.outcome == SmallFileReader::Outcome::missing || file.outcome == SmallFileReader::Outcome::failed)
        return;
    const std::optional<QJsonValue> json = file.ok() ? JsonFile::parse(file.bytes) : std::nullopt;
    const std::optional<ScreenManifest> manifest = json ? ScreenManifest::fromJson(*json) : std::nullopt;
    if (manifest == m_manifest)
        return;
    m_manifest = manifest;
    Q_EMIT manifestChanged();
}

void ScreenPictures::setWidthLimit(int pixels)
{
    pixels = std::max(pixels, 0);
    if (pixels == m_widthLimit)
        return;
    m_widthLimit = pixels;
    load();
}

void ScreenPictures::load()
{
    ImageTable loaded = read(m_chosenLook);
    ScreenLook shown = m_chosenLook;
    // A newly chosen look without pictures of its own: until they are drawn the card keeps
    // showing the pictures it showed, or those of the look the last refresh drew, rather than
    // none.
    QList<ScreenLook> standIns{m_picturesLook};
    if (m_refreshedLook)
        standIns.append(*m_refreshedLook);
    for (const ScreenLook other : standIns) {
        if (!loaded.isEmpty())
            break;
        if (other == m_chosenLook)
            continue;
        loaded = read(other);
        shown = loaded.isEmpty() ? m_chosenLook : other;
    }
    // What was decoded for the card and not taken is of no further use.
    m_decoded.clear();
    m_picturesLook = shown;
    if (loaded != m_images) {
        m_images = loaded;
        Q_EMIT imagesChanged();
    }
    const QHash<QString, QString> texts =
        PageTexts::read(m_screensDir, m_manifest ? m_manifest->pageNames : QStringList());
    if (texts != m_pageTexts) {
        m_pageTexts = texts;
        Q_EMIT pageTextsChanged();
    }
}

QImage ScreenPictures::image(const QString &pageName, bool dark) const
{
    return m_images.value(m_picturesLook.fileName(pageName, dark));
}

std::optional<QString> ScreenPictures::pageText(const QString &pageName) const
{
    const auto found = m_pageTexts.constFind(pageName);
    if (found == m_pageTexts.constEnd() || found->isEmpty())
        return std::nullopt;
    return *found;
}

int ScreenPictures::widthLimitFor(ScreenLook look) const
{
    // The panel's one-bit pictures are small and shown pixel for pixel, so never scaled.
    return look == ScreenLook::Panel ? 0 : m_widthLimit;
}

ScreenPictures::ImageTable ScreenPictures::read(ScreenLook look)
{
    const int limit = widthLimitFor(look);
    ImageTable loaded;
    const QStringList pageNames = m_manifest ? m_manifest->pageNames : QStringList();
    const QDir screens(m_screensDir);
    for (const QString &pageName : pageNames) {
        for (bool dark : {false, true}) {
            const QString name = look.fileName(pageName, dark);
            // The manifest names pages, not paths: a name that would leave the screens
            // directory is not read.
            if (loaded.contains(name) || name.contains(u'/'))
                continue;
            const QString path = screens.filePath(name);
            const std::optional<QImage> decoded = m_decoded.take(path, limit);
            const QImage image = decoded ? *decoded : readPicture(path, limit);
            if (!image.isNull())
                loaded.insert(name, image);
        }
    }
    return loaded;
}
