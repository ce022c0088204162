// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/ScreenLook.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <exception>
#include <optional>

struct ScreenManifest;

// The files a refresh leaves in the screens directory: "data.json", the page pictures and
// "manifest.json". Every file is written through a temporary file that replaces the old one only
// when complete, so a crash or a kill never leaves a truncated file behind.
class ScreenFiles
{
public:
    static const QString dataFileName;     // "data.json"
    static const QString manifestFileName; // "manifest.json"

    explicit ScreenFiles(QString screensDir);

    // Creates the screens directory and any missing parents. Throws WriteError.
    void ensureDirectory() const;
    // The data document as compact JSON bytes. Throws WriteError.
    void writeData(const QByteArray &json) const;
    // Encodes the picture as PNG and writes it under `fileName`. A null picture or one that cannot
    // be encoded is skipped; a file that cannot be written throws WriteError.
    void writePicture(const QString &fileName, const QImage &picture) const;
    // A PNG file as it is, under `fileName`. Bytes that do not start as a PNG file throw
    // Problem and leave the old picture; a file that cannot be written throws WriteError.
    void writePng(const QString &fileName, const QByteArray &png) const;
    // The page's text beside its pictures: one file a page ("page0.txt"), whatever the look.
    static QString textFileName(const QString &pageName);
    // Written as UTF-8. Throws WriteError.
    void writeText(const QString &pageName, const QString &text) const;
    // Pretty-printed. False when it could not be written; the old manifest then stays.
    bool writeManifest(const ScreenManifest &manifest) const;

    // The text of "data.json" (invalid UTF-8 replaced); none when it cannot be read.
    std::optional<QString> readData() const;

    // Removes the pictures and texts of every page not in `pageNames`: only files named as pictures
    // or texts are ("page3.png", "page3-mono-dark.png", "page3.txt", …), whatever look they were
    // drawn in; anything else in the directory stays. A link is removed, never what it points to.
    // With `look` given, the pictures of every other look go as well (a page's text is shared by
    // every look, so it stays).
    void removePicturesExcept(const QStringList &pageNames, std::optional<ScreenLook> look = std::nullopt) const;

private:
    QString path(const QString &fileName) const;
    void writeAtomically(const QString &fileName, const QByteArray &bytes) const;

    QString m_dir;
};
