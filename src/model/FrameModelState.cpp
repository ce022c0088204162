// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the settings file, the last run's manifest and images, and the provider choice.

#include "FrameModel.h"

#include "PageTexts.h"

#include "RefreshScheduler.h"
#include "kit/FrameSettings.h"
#include "kit/JsonFile.h"
#include "kit/Provider.h"
#include "kit/SmallFileReader.h"
#include "platform/Defaults.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QSet>
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

FrameModel::FrameModel(QObject *parent)
    : QObject(parent)
{
    // The order matters: the settings fall back to the catalogue's default pages, and the
    // manifest read last may correct the stored view.
    m_movingForward = true;
    m_history = new UndoHistory(this);
    connect(m_history, &UndoHistory::changed, this, &FrameModel::historyChanged);
    m_schedule = makeScheduler();
    m_viewsDir = Paths::viewsDir();
    readDisplayOptions();
    m_picturesLook = m_look;
    m_screensDir = Paths::screensDir();
    readCatalogue();
    loadSettings();
    // The images left by the last run count as drawn from the pages just loaded, so no slot
    // shows as out of date at start.
    m_renderedPages = m_pages;
    reload();
}

FrameModel::~FrameModel() = default;

const QList<FrameModel::ProviderChoice> &FrameModel::providerChoices()
{
    static const QList<ProviderChoice> choices = [] {
        QList<ProviderChoice> fromTable;
        for (const Provider &provider : Provider::all())
            fromTable.append({provider.id, provider.title});
        return fromTable;
    }();
    return choices;
}

QString FrameModel::settingsFile() const
{
    return QFileInfo(m_screensDir).dir().filePath(QStringLiteral("settings.json"));
}

bool FrameModel::needsWelcome() const
{
    if (Defaults::boolValue(QStringLiteral("onboarded")))
        return false;
    return !QFileInfo::exists(settingsFile());
}

void FrameModel::setProvider(const QString &id, bool on)
{
    QSet<QString> chosen(m_providers.cbegin(), m_providers.cend());
    if (on)
        chosen.insert(id);
    else
        chosen.remove(id);

    QStringList ordered;
    for (const ProviderChoice &choice : providerChoices()) {
        if (chosen.contains(choice.id))
            ordered.append(choice.id);
    }
    setProviders(ordered);
    saveSettings();
    refresh();
}

void FrameModel::setShowLogos(bool show)
{
    assign(m_showLogos, show, &FrameModel::showLogosChanged);
    saveSettings();
    refresh();
}

void FrameModel::setCountdown(const Countdown &countdown)
{
    assign(m_countdown, std::optional<Countdown>(countdown), &FrameModel::countdownChanged);
    saveSettings();
    refresh();
}

void FrameModel::setOpenEditor(Action action)
{
    m_openEditor = std::move(action);
    Q_EMIT openEditorChanged();
}

void FrameModel::setOpenConnections(Action action)
{
    m_openConnections = std::move(action);
    Q_EMIT openConnectionsChanged();
}

void FrameModel::setOpenWelcome(Action action)
{
    m_openWelcome = std::move(action);
    Q_EMIT openWelcomeChanged();
}

void FrameModel::readCatalogue()
{
    const std::optional<QJsonValue> json = JsonFile::read(QDir(m_viewsDir).filePath(QStringLiteral("widgets.json")));
    if (json)
        m_catalogue = Catalogue::fromJson(*json);
}

void FrameModel::loadSettings()
{
    const std::optional<QJsonValue> json = JsonFile::read(settingsFile());
    const std::optional<FrameSettings> stored = json ? FrameSettings::fromJson(*json) : std::nullopt;
    if (stored) {
        // Taken exactly as stored; setProvider() puts the list in order the next time.
        setProviders(stored->providers);
        assign(m_showLogos, stored->logos, &FrameModel::showLogosChanged);
        setPages(stored->pages.value_or(QList<Page>()));
        assign(m_countdown, stored->countdown, &FrameModel::countdownChanged);
    }
    // No file, a bad file and an empty page list all mean the user has no pages of their own.
    if (m_pages.isEmpty() && m_catalogue)
        setPages(m_catalogue->defaultPages);
}

void FrameModel::saveSettings()
{
    // Failures are silent: the state in memory is unchanged and the next save writes it all.
    QDir().mkpath(QFileInfo(m_screensDir).dir().path());
    // A hand-edited file with a typo was read as no file; it is kept beside the new one rather
    // than replaced by the defaults.
    JsonFile::setAsideUnreadable(settingsFile(),
                                 [](const QJsonValue &json) { return FrameSettings::fromJson(json).has_value(); });
    const FrameSettings settings{m_providers, m_showLogos, m_pages, m_countdown};
    JsonFile::writePretty(settingsFile(), QJsonDocument(settings.toJson()));
}

void FrameModel::reload()
{
    readManifest();
    if (m_manifest && !m_manifest->views.isEmpty() && !m_manifest->views.contains(m_view))
        setView(m_manifest->views.first());
    loadImages();
}

void FrameModel::readManifest()
{
    // A manifest that cannot be read keeps the one held; one that reads but does not decode
    // clears it.
    const SmallFileReader::Result file =
        SmallFileReader::read(QDir(m_screensDir).filePath(QStringLiteral("manifest.json")), JsonFile::defaultMaxBytes);
    if (file.outcome == SmallFileReader::Outcome::missing || file.outcome == SmallFileReader::Outcome::failed)
        return;
    const std::optional<QJsonValue> json = file.ok() ? JsonFile::parse(file.bytes) : std::nullopt;
    setManifest(json ? ScreenManifest::fromJson(*json) : std::nullopt);
}

void FrameModel::setPictureWidthLimit(int pixels)
{
    pixels = std::max(pixels, 0);
    if (pixels == m_pictureWidthLimit)
        return;
    m_pictureWidthLimit = pixels;
    loadImages();
}

void FrameModel::loadImages()
{
    ImageTable loaded = readPictures(m_look);
    ScreenLook shown = m_look;
    // A newly chosen look without pictures of its own: until they are drawn the card keeps
    // showing the pictures it showed, or those of the look the last refresh drew, rather than
    // none.
    QList<ScreenLook> standIns{m_picturesLook};
    if (m_refreshedLook)
        standIns.append(*m_refreshedLook);
    for (const ScreenLook other : standIns) {
        if (!loaded.isEmpty())
            break;
        if (other == m_look)
            continue;
        loaded = readPictures(other);
        shown = loaded.isEmpty() ? m_look : other;
    }
    // What was decoded for the card and not taken is of no further use.
    m_decodedPictures.clear();
    m_picturesLook = shown;
    if (shown == m_look && !loaded.isEmpty())
        m_lookAwaitingPictures = false;
    setImages(loaded);
    assign(m_pageTexts, PageTexts::read(m_screensDir, m_manifest ? m_manifest->views : QStringList()),
           &FrameModel::pageTextsChanged);
}

std::optional<QString> FrameModel::pageText(const QString &view) const
{
    const auto found = m_pageTexts.constFind(view);
    if (found == m_pageTexts.constEnd() || found->isEmpty())
        return std::nullopt;
    return *found;
}

int FrameModel::pictureWidthLimitFor(ScreenLook look) const
{
    // The panel's one-bit pictures are small and shown pixel for pixel, so never scaled.
    return look == ScreenLook::Panel ? 0 : m_pictureWidthLimit;
}

FrameModel::ImageTable FrameModel::readPictures(ScreenLook look)
{
    const int limit = pictureWidthLimitFor(look);
    ImageTable loaded;
    const QStringList views = m_manifest ? m_manifest->views : QStringList();
    const QDir screens(m_screensDir);
    for (const QString &view : views) {
        for (bool dark : {false, true}) {
            const QString name = look.fileName(view, dark);
            // The manifest names views, not paths: a name that would leave the screens
            // directory is not read.
            if (loaded.contains(name) || name.contains(u'/'))
                continue;
            const QString path = screens.filePath(name);
            const std::optional<QImage> decoded = m_decodedPictures.take(path, limit);
            const QImage image = decoded ? *decoded : readPicture(path, limit);
            if (!image.isNull())
                loaded.insert(name, image);
        }
    }
    return loaded;
}
