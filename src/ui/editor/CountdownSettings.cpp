// SPDX-License-Identifier: GPL-3.0-or-later
#include "CountdownSettings.h"

#include "model/FrameModel.h"

#include <QDateEdit>
#include <QDateTime>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

const QString storedDateFormat = QStringLiteral("yyyy-MM-dd");
// How far ahead a new countdown starts: 2 592 000 seconds.
constexpr qint64 defaultLeadSeconds = 30 * 24 * 60 * 60;

} // namespace

CountdownSettings::CountdownSettings(FrameModel &model, QWidget *parent)
    : FormSection(QStringLiteral("Countdown"), parent)
    , m_model(model)
{
    m_title = new QLineEdit;
    m_title->setPlaceholderText(QStringLiteral("Launch day"));
    m_title->setAccessibleName(QStringLiteral("Counting down to"));
    addRow(QStringLiteral("Counting down to"), m_title);

    m_date = new QDateEdit;
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("d MMM yyyy"));
    m_date->setAccessibleName(QStringLiteral("Date"));
    m_date->setDate(QDateTime::currentDateTime().addSecs(defaultLeadSeconds).date());
    addRow(QStringLiteral("Date"), m_date);

    load();
    connect(m_title, &QLineEdit::returnPressed, this, &CountdownSettings::save);
    connect(m_date, &QDateEdit::dateChanged, this, &CountdownSettings::save);
}

std::optional<QDate> CountdownSettings::parseDate(const QString &text)
{
    const QDate date = QDate::fromString(text, storedDateFormat);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString CountdownSettings::formatDate(const QDate &date)
{
    return date.toString(storedDateFormat);
}

void CountdownSettings::load()
{
    // Showing the stored values is not a change of them: nothing is saved here.
    const QSignalBlocker blockDate(m_date);
    const std::optional<Countdown> &countdown = m_model.countdown();
    m_title->setText(countdown ? countdown->title : QString());
    if (countdown) {
        if (const std::optional<QDate> date = parseDate(countdown->date))
            m_date->setDate(*date);
    }
}

void CountdownSettings::save()
{
    const QString title = m_title->text();
    m_model.setCountdown(Countdown{title.isEmpty() ? QStringLiteral("Countdown") : title, formatDate(m_date->date())});
}
