// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QDateTime>
#include <QFuture>
#include <QHash>
#include <QImage>
#include <QString>
#include <optional>

// Page pictures decoded for the card while a draw goes on. A picture is decoded on a worker
// thread as soon as its file is written, while the renderer process draws the next one, so the
// card does not decode every picture afresh in the user interface thread when the draw ends.
// A picture is handed out only while its file is still the one written: same size and time,
// and only once decoded: the interface thread never waits for a decoding.
class DecodedPictures
{
public:
    // A picture's PNG bytes as the card holds them: scaled down smoothly to `widthLimit` pixels
    // wide when wider (0 for no limit), in the pixel format the card paints fastest. Null when
    // the bytes are no picture.
    static QImage decode(const QByteArray &png, int widthLimit);

    // Starts decoding `png`, just written to `path`.
    void add(const QString &path, const QByteArray &png, int widthLimit);
    // Resumes once every decoding started so far has ended; it holds none of this object, so it
    // may outlive it.
    QCoro::Task<> whenDecoded() const;
    // The picture decoded for `path` at `widthLimit`; none when its decoding has not ended, when
    // there is none for that limit or the file has changed since. It is handed out once.
    std::optional<QImage> take(const QString &path, int widthLimit);
    // Forgets every picture not taken.
    void clear();

    bool isEmpty() const { return m_pending.isEmpty(); }

private:
    struct Pending
    {
        QFuture<QImage> image;
        int widthLimit = 0;
        qint64 fileSize = -1;
        QDateTime modified;
    };
    QHash<QString, Pending> m_pending;
};
