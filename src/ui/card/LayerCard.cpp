// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayerCard.h"

#include "DesktopStacking.h"
#include "FrameView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <cmath>

namespace {

const QLatin1String helperName("tessarine-layer-card");
// GTK starts in a fraction of this, also on a slow machine.
constexpr int readyWithinMs = 10000;

} // namespace

QString LayerCard::helperPath(const std::optional<QString> &chosen)
{
    // Beside the program in the build tree; where the installed program's helpers are. Tests
    // name another, or none (a path that is not a program).
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList candidates =
        chosen ? QStringList{*chosen}
               : QStringList{programDir + QLatin1Char('/') + helperName,
                             programDir + QStringLiteral("/" TESSARINE_HELPER_DIR "/") + helperName};
    for (const QString &candidate : candidates) {
        const QFileInfo helper(candidate);
        if (helper.isFile() && helper.isExecutable())
            return helper.absoluteFilePath();
    }
    return {};
}

bool LayerCard::wanted(const QString &helper)
{
    // GNOME offers no layer shell, and KWin keeps the X11 card beneath the windows and on every
    // workspace: both keep it. So does an X11 session.
    if (!qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return false;
    // The environment names a wlroots desktop also where its X11 window manager gives another
    // name (Hyprland's own, for one).
    const DesktopStacking::Session session = DesktopStacking::current();
    if (DesktopStacking::ignoringDesktop(session).isEmpty() &&
        DesktopStacking::knownWlrootsDesktop(session.currentDesktop, session.swaySocket).isEmpty())
        return false;
    return !helper.isEmpty();
}

LayerCard::LayerCard(const QString &helper, FrameView &view, QObject *parent)
    : QObject(parent)
    , m_helper(helper)
    , m_view(view)
{
    m_view.installEventFilter(this);
}

LayerCard::~LayerCard()
{
    m_view.removeEventFilter(this);
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    // Ended at once and reaped when it is gone; nothing waits for it here.
    m_process->disconnect(this);
    m_process->setParent(nullptr);
    connect(m_process, &QProcess::finished, m_process, &QObject::deleteLater);
    m_process->kill();
}

void LayerCard::start()
{
    m_process = new QProcess(this);
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &LayerCard::readReports);
    connect(m_process, &QProcess::finished, this, &LayerCard::finish);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish();
    });
    connect(m_process, &QProcess::bytesWritten, this, [this] {
        if (m_frameOwed && m_process->bytesToWrite() == 0)
            sendFrame();
    });
    m_process->start(m_helper, QStringList());
    // A helper that hangs before it has a surface would leave no card at all.
    QTimer::singleShot(readyWithinMs, this, [this] {
        if (!m_ready && m_process->state() != QProcess::NotRunning)
            m_process->kill();
    });
}

void LayerCard::finish()
{
    if (m_ended)
        return;
    m_ended = true;
    m_ready = false;
    Q_EMIT ended();
}

void LayerCard::readReports()
{
    while (m_process->canReadLine())
        take(m_process->readLine().trimmed());
}

void LayerCard::take(const QByteArray &report)
{
    const QList<QByteArray> words = report.split(' ');
    const QByteArray &what = words.constFirst();
    const auto number = [&words](qsizetype index) { return index < words.size() ? words.at(index).toInt() : 0; };
    if (what == "ready") {
        m_ready = true;
        sendPlace();
        sendFrame();
    } else if (what == "scale" && number(1) > 0) {
        m_scale = number(1);
        Q_EMIT scaleChanged();
        scheduleFrame();
    } else if (what == "click") {
        m_view.showNextPage();
    } else if (what == "menu") {
        m_view.openMenu(QPoint(number(1), number(2)));
    } else if (what == "moved") {
        Q_EMIT moved(QPoint(number(1), number(2)));
    }
}

void LayerCard::setStacking(bool top, bool takesClicks)
{
    if (top == m_top && takesClicks == m_takesClicks)
        return;
    m_top = top;
    m_takesClicks = takesClicks;
    sendPlace();
}

bool LayerCard::eventFilter(QObject *watched, QEvent *event)
{
    // The view is never mapped, but the toolkit still asks it to repaint whenever anything on it
    // changes (a step of a transition included): each such request is a new frame to send.
    switch (event->type()) {
    case QEvent::UpdateRequest:
        scheduleFrame();
        break;
    case QEvent::Move:
        sendPlace();
        break;
    case QEvent::Resize:
        sendPlace();
        scheduleFrame();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void LayerCard::sendPlace()
{
    if (!m_ready)
        return;
    const QRect frame = m_view.geometry();
    const QString stacking = m_top ? QStringLiteral("top") : QStringLiteral("bottom");
    const QString input = m_takesClicks ? QStringLiteral("all") : QStringLiteral("none");
    m_process->write(QStringLiteral("place %1 %2 %3 %4 %5 %6\n")
                         .arg(QString::number(frame.x()), QString::number(frame.y()), QString::number(frame.width()),
                              QString::number(frame.height()), stacking, input)
                         .toLatin1());
}

void LayerCard::scheduleFrame()
{
    if (m_frameScheduled)
        return;
    m_frameScheduled = true;
    // After the toolkit's own repaint, and once for everything changed in one turn.
    QTimer::singleShot(0, this, [this] {
        m_frameScheduled = false;
        sendFrame();
    });
}

void LayerCard::sendFrame()
{
    if (!m_ready)
        return;
    // One frame in the pipe at a time: while the helper reads, only the latest is kept owed.
    if (m_process->bytesToWrite() > 0) {
        m_frameOwed = true;
        return;
    }
    m_frameOwed = false;
    const int scale = m_scale > 0 ? m_scale : int(std::ceil(m_view.devicePixelRatioF()));
    const QSize size = m_view.size() * scale;
    if (size.isEmpty())
        return;
    // Premultiplied ARGB in the machine's byte order is the helper's (cairo's) own format.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    m_view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    m_process->write(QStringLiteral("frame %1 %2 %3\n").arg(size.width()).arg(size.height()).arg(scale).toLatin1());
    m_process->write(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
}
