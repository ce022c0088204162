// The display options: which page is on the card, the look, size, transition, cycle interval
// and keep-on-top. Each lives under its own key in the user defaults store and is written back
// whenever it is set.

#include "FrameModel.h"

#include "platform/Defaults.h"

namespace {

const QString pageKey = QStringLiteral("page");
const QString lookKey = QStringLiteral("look");
const QString sizeKey = QStringLiteral("size");
const QString keepOnTopKey = QStringLiteral("keepOnTop");
const QString cycleSecondsKey = QStringLiteral("cycleSeconds");
const QString transitionKey = QStringLiteral("transition");

// Only the exact raw values "panel" and "colour" choose those looks; anything else is mono.
ScreenLook storedLook()
{
    const std::optional<QString> stored = Defaults::stringValue(lookKey);
    if (stored == QStringLiteral("panel"))
        return ScreenLook::Panel;
    if (stored == QStringLiteral("colour"))
        return ScreenLook::Colour;
    return ScreenLook::Mono;
}

FrameSize storedSize()
{
    return FrameSize::fromRawValue(Defaults::stringValue(sizeKey).value_or(QString())).value_or(FrameSize::Medium);
}

PageTransition storedTransition()
{
    const QString stored = Defaults::stringValue(transitionKey).value_or(QString());
    return PageTransition::fromRawValue(stored).value_or(PageTransition::Flip);
}

} // namespace

const QList<FrameModel::CycleChoice> &FrameModel::cycleChoices()
{
    static const QList<CycleChoice> choices{
        {0, QStringLiteral("Off")},
        {30, QStringLiteral("Every 30 Seconds")},
        {60, QStringLiteral("Every Minute")},
        {300, QStringLiteral("Every 5 Minutes")},
        {900, QStringLiteral("Every 15 Minutes")},
    };
    return choices;
}

void FrameModel::readDisplayOptions()
{
    m_view = Defaults::stringValue(pageKey).value_or(QStringLiteral("page0"));
    m_look = storedLook();
    m_size = storedSize();
    m_keepOnTop = Defaults::boolValue(keepOnTopKey);
    m_cycleSeconds = Defaults::intValue(cycleSecondsKey);
    m_transition = storedTransition();
}

void FrameModel::setView(const QString &view)
{
    assign(m_view, view, &FrameModel::viewChanged);
    Defaults::setValue(pageKey, view);
}

void FrameModel::setLook(ScreenLook look)
{
    assign(m_look, look, &FrameModel::lookChanged);
    Defaults::setValue(lookKey, look.rawValue());
    loadImages();
}

void FrameModel::setSize(FrameSize size)
{
    assign(m_size, size, &FrameModel::sizeChanged);
    Defaults::setValue(sizeKey, size.rawValue());
}

void FrameModel::setKeepOnTop(bool keepOnTop)
{
    assign(m_keepOnTop, keepOnTop, &FrameModel::keepOnTopChanged);
    Defaults::setValue(keepOnTopKey, keepOnTop);
}

void FrameModel::setTransition(PageTransition transition)
{
    assign(m_transition, transition, &FrameModel::transitionChanged);
    Defaults::setValue(transitionKey, transition.rawValue());
}

void FrameModel::setCycleSeconds(int seconds)
{
    assign(m_cycleSeconds, seconds, &FrameModel::cycleSecondsChanged);
    Defaults::setValue(cycleSecondsKey, seconds);
}

void FrameModel::setMovingForward(bool forward)
{
    assign(m_movingForward, forward, &FrameModel::movingForwardChanged);
}

void FrameModel::setFlash(Flash flash)
{
    assign(m_flash, flash, &FrameModel::flashChanged);
}
