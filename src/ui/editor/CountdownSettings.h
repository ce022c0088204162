// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/common/FormSection.h"

#include <QDate>

class FrameModel;
class QDateEdit;
class QLineEdit;

// The countdown widget's settings in the widget inspector: what it counts down to (saved when
// Return is pressed) and the day (saved whenever it changes). Both start from the model's
// countdown; without one, an empty title and the day 30 days from now.
class CountdownSettings : public FormSection
{
    Q_OBJECT

public:
    explicit CountdownSettings(FrameModel &model, QWidget *parent = nullptr);

    QLineEdit *titleField() const { return m_title; }
    QDateEdit *dateField() const { return m_date; }

    // "yyyy-MM-dd" as the countdown stores it; none when the text is not such a day.
    static std::optional<QDate> parseDate(const QString &text);
    static QString formatDate(const QDate &date);

private:
    void load();
    void save();

    FrameModel &m_model;
    QLineEdit *m_title = nullptr;
    QDateEdit *m_date = nullptr;
};
