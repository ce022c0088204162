// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DecodedPictures.h"
#include "kit/ScreenLook.h"
#include "kit/ScreenManifest.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <optional>

// The last run as the card shows it: the screens directory's manifest, the pictures of the
// chosen look for every page it names (or a stand-in look's until the chosen one is drawn), each
// page's words, and the pictures a draw decoded on the way. It reads files only; what writes them
// is the refresh. Lives on the GUI thread.
class ScreenPictures : public QObject
{
    Q_OBJECT
public:
    using ImageTable = QHash<QString, QImage>; // page images keyed by image file name

    ScreenPictures(const QString &screensDir, ScreenLook chosenLook, QObject *parent = nullptr);

    const std::optional<ScreenManifest> &manifest() const { return m_manifest; }
    const ImageTable &images() const { return m_images; }
    // The look whose pictures images() holds: the chosen one, or a stand-in until the chosen one
    // has pictures.
    ScreenLook picturesLook() const { return m_picturesLook; }
    // Whether images() holds pictures of the chosen look.
    bool hasChosenLook() const { return m_picturesLook == m_chosenLook && !m_images.isEmpty(); }

    // Re-reads "manifest.json". A missing manifest keeps the one held; an undecodable one
    // clears it.
    void readManifest();
    // Loads the chosen look's pictures for every page of the manifest; unreadable files are
    // skipped. A look without pictures keeps showing the pictures shown before, or those of the
    // look the last good refresh drew, rather than none.
    void load();
    // The look load() reads; it loads nothing by itself.
    void setChosenLook(ScreenLook look) { m_chosenLook = look; }
    // The look the last good refresh drew: the only one left once it wrote its manifest.
    void setRefreshedLook(ScreenLook look) { m_refreshedLook = look; }

    // The loaded picture of a page and appearance; null when there is none.
    QImage image(const QString &pageName, bool dark) const;
    // The page's words in reading order, kept beside its pictures; none when the last drawing
    // left no text for the page. Follows pageTextsChanged.
    std::optional<QString> pageText(const QString &pageName) const;

    // The widest a Mono or Colour picture is held, in pixels (0: as drawn). The card sets it to
    // what it can show on the current screens, so it never keeps the full 4080-pixel pictures
    // decoded; a change reloads the pictures.
    int widthLimit() const { return m_widthLimit; }
    void setWidthLimit(int pixels);
    // How wide the pictures of `look` are held, 0 for their full size.
    int widthLimitFor(ScreenLook look) const;

    // The pictures of the draw going on, decoded as they arrive; load() takes them.
    DecodedPictures &decoded() { return m_decoded; }

Q_SIGNALS:
    void manifestChanged();
    void imagesChanged();
    void pageTextsChanged();

private:
    ImageTable read(ScreenLook look);

    QString m_screensDir;
    ScreenLook m_chosenLook;
    std::optional<ScreenManifest> m_manifest;
    ImageTable m_images;
    QHash<QString, QString> m_pageTexts; // keyed by page name
    ScreenLook m_picturesLook;
    std::optional<ScreenLook> m_refreshedLook;
    int m_widthLimit = 0;
    DecodedPictures m_decoded;
};
