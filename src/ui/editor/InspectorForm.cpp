#include "InspectorForm.h"

#include "ui/common/FormSection.h"
#include "ui/common/UiStyle.h"

#include <QVBoxLayout>

InspectorForm::InspectorForm(QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_content = new QWidget;
    QPalette palette = m_content->palette();
    palette.setColor(QPalette::Window, UiStyle::formBackground(this->palette()));
    m_content->setPalette(palette);
    m_content->setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(14, 14, 14, 18);
    layout->setSpacing(0);
    m_sections = new QVBoxLayout;
    m_sections->setSpacing(18);
    layout->addLayout(m_sections);
    layout->addStretch();
    setWidget(m_content);
}

void InspectorForm::addSection(FormSection *section)
{
    section->setParent(m_content);
    m_sections->addWidget(section);
}

void InspectorForm::insertSection(int position, FormSection *section)
{
    section->setParent(m_content);
    m_sections->insertWidget(position, section);
}

QList<FormSection *> InspectorForm::sections() const
{
    QList<FormSection *> result;
    for (int i = 0; i < m_sections->count(); ++i) {
        if (auto *section = qobject_cast<FormSection *>(m_sections->itemAt(i)->widget()))
            result.append(section);
    }
    return result;
}
