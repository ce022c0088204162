#include "StepHeader.h"

#include "OnboardingStyle.h"

#include <QLabel>
#include <QVBoxLayout>

using OnboardingStyle::Text;

StepHeader::StepHeader(const QString &title, const QString &detail, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_title = OnboardingStyle::label(title, Text::Title, this);
    m_detail = OnboardingStyle::label(detail, Text::Body, this, true);
    layout->addWidget(m_title);
    layout->addWidget(m_detail);
}

QString StepHeader::title() const
{
    return m_title->text();
}

QString StepHeader::detail() const
{
    return m_detail->text();
}
