#include "CalendarSettings.h"

#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "ui/common/CalendarPrivacyDialog.h"
#include "ui/common/SymbolIcon.h"
#include "ui/common/UiStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

QLabel *wrapped(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CalendarSettings::CalendarSettings(FrameModel &model, QWidget *parent)
    : FormSection(QStringLiteral("Calendar"), parent)
    , m_model(model)
    , m_store(model.eventStore())
{
    auto *holder = new QWidget;
    m_pages = new QStackedLayout(holder);
    m_pages->addWidget(notDeterminedPage());
    m_pages->addWidget(fullAccessPage());
    m_pages->addWidget(deniedPage());
    addRow(holder);

    connect(&m_store, &CalendarStore::authorizationChanged, this, &CalendarSettings::showAccess);
    connect(&model, &FrameModel::calendarAccessChanged, this, &CalendarSettings::showAccess);
    showAccess();
}

QWidget *CalendarSettings::notDeterminedPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    m_notDeterminedText = wrapped(QStringLiteral("Tessarine needs permission to read your calendars."), page);
    m_allow = new QPushButton(QStringLiteral("Allow Calendar Access…"), page);
    connect(m_allow, &QPushButton::clicked, &m_model, &FrameModel::requestCalendarAccess);
    layout->addWidget(m_notDeterminedText);
    layout->addWidget(m_allow, 0, Qt::AlignLeft);
    return page;
}

QWidget *CalendarSettings::fullAccessPage()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const QColor secondary = UiStyle::secondary(palette());
    auto *icon = new QLabel(page);
    icon->setPixmap(SymbolIcon::pixmap(QStringLiteral("emblem-ok"), 16, secondary, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    m_fullAccessText =
        wrapped(QStringLiteral("Showing the next 7 days from all your calendars. Only titles and times are used, "
                               "and they stay on this computer."),
                page);
    QPalette colours = m_fullAccessText->palette();
    colours.setColor(QPalette::WindowText, secondary);
    m_fullAccessText->setPalette(colours);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(m_fullAccessText, 1);
    return page;
}

QWidget *CalendarSettings::deniedPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    m_deniedText = wrapped(QStringLiteral("Calendar access is off. Turn it on in Tessarine’s privacy settings."), page);
    m_privacy = new QPushButton(QStringLiteral("Open Privacy Settings"), page);
    connect(m_privacy, &QPushButton::clicked, this, [this] { CalendarPrivacyDialog::present(m_store, window()); });
    layout->addWidget(m_deniedText);
    layout->addWidget(m_privacy, 0, Qt::AlignLeft);
    return page;
}

void CalendarSettings::showAccess()
{
    switch (m_store.authorization()) {
    case CalendarStore::Authorization::NotDetermined:
        m_pages->setCurrentIndex(0);
        break;
    case CalendarStore::Authorization::FullAccess:
        m_pages->setCurrentIndex(1);
        break;
    case CalendarStore::Authorization::Denied:
        m_pages->setCurrentIndex(2);
        break;
    }
}

QString CalendarSettings::message() const
{
    const QLabel *texts[] = {m_notDeterminedText, m_fullAccessText, m_deniedText};
    return texts[m_pages->currentIndex()]->text();
}
