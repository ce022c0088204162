// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>

class FormSection;
class QVBoxLayout;

// A scrolling grouped form, the frame of both inspectors: sections stacked on the form's
// background with room between them.
class InspectorForm : public QScrollArea
{
    Q_OBJECT

public:
    explicit InspectorForm(QWidget *parent = nullptr);

    void addSection(FormSection *section);
    // Puts a section at `position` among the sections.
    void insertSection(int position, FormSection *section);
    QList<FormSection *> sections() const;

protected:
    QWidget *content() const { return m_content; }

private:
    QWidget *m_content = nullptr;
    QVBoxLayout *m_sections = nullptr;
};
