#include "CardAppearance.h"

#include "platform/ReduceMotion.h"
#include "ui/common/UiStyle.h"

#include <QWidget>

CardAppearance::CardAppearance()
    : m_reduceMotion([] { return ReduceMotion::instance().isOn(); })
{}

double CardAppearance::scale(const QWidget &widget) const
{
    return m_fixedScale.value_or(widget.devicePixelRatioF());
}

bool CardAppearance::dark(const QWidget &widget) const
{
    if (m_fixedDark)
        return *m_fixedDark;
    return UiStyle::isDark(widget.palette());
}
