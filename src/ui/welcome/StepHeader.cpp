#include "StepHeader.h"

#include "StepWidgets.h"

#include <QLabel>
#include <QVBoxLayout>

using UiStyle::Text;

StepHeader::StepHeader(const QString &title, const QString &detail, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_title = StepWidgets::label(title, Text::Title, this);
    m_detail = StepWidgets::label(detail, Text::Body, this, true);
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
