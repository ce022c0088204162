// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarPrivacyDialog.h"

#include "SubscriptionList.h"
#include "UiStyle.h"
#include "platform/CalendarFileReader.h"
#include "platform/CalendarStore.h"

#include <QButtonGroup>
#include <QCoroTask>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kUidRole = Qt::UserRole;

QIcon colourSwatch(const QColor &colour)
{
    QPixmap swatch(12, 12);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour.isValid() ? colour : QColor(Qt::gray));
    painter.drawEllipse(swatch.rect().adjusted(1, 1, -1, -1));
    return QIcon(swatch);
}
constexpr int dialogMargin = 20;

QLabel *wrappedLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A path as the user would type it: under the home folder it starts with "~".
QString homeRelative(const QString &path)
{
    const QString home = QDir::homePath();
    if (path == home || path.startsWith(home + QLatin1Char('/')))
        return QStringLiteral("~") + path.mid(home.size());
    return path;
}

// Tessarine's own files go by their names; the desktop's calendars by the folder that holds them.
QString displayName(const QString &path)
{
    const QFileInfo file(path);
    if (file.absolutePath() == QDir(CalendarStore::tessarineCalendarsDir()).absolutePath())
        return file.fileName();
    return QStringLiteral("Desktop calendar “%1”").arg(file.dir().dirName());
}

} // namespace

CalendarPrivacyDialog::CalendarPrivacyDialog(CalendarStore &store, QWidget *parent)
    : QDialog(parent)
    , m_store(&store)
{
    setWindowTitle(QStringLiteral("Calendar Privacy"));
    auto *layout = new QVBoxLayout(this);
    // The desktop style's dialog margins leave the text nearly touching the edges.
    layout->setContentsMargins(dialogMargin, dialogMargin, dialogMargin, dialogMargin);
    layout->setSpacing(12);
    layout->addWidget(wrappedLabel(QStringLiteral("Tessarine can show your next events on the card. Only their titles "
                                                  "and times are read, and they stay on this computer."),
                                   this));
    layout->addWidget(accessChoice());
    layout->addWidget(fileChoice(), 1);
    layout->addWidget(serviceChoice());
    layout->addWidget(subscriptionChoice(), 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        save();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(UiStyle::grownWithFont(480, font()));
    listFiles();
    updateFileListEnabled();
}

QWidget *CalendarPrivacyDialog::subscriptionChoice()
{
    auto *group = new QGroupBox(QStringLiteral("Subscriptions"), this);
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(wrappedLabel(QStringLiteral("Calendars from your online calendar service, by their private "
                                                  "address in iCal format. Each refresh fetches them; the addresses "
                                                  "are kept in your keyring."),
                                   group));
    layout->addWidget(new SubscriptionList(m_store->subscriptions(), group));
    return group;
}

QWidget *CalendarPrivacyDialog::serviceChoice()
{
    m_serviceBox = new QGroupBox(QStringLiteral("Desktop calendar service"), this);
    auto *layout = new QVBoxLayout(m_serviceBox);
    m_serviceCalendars = new QListWidget(m_serviceBox);
    layout->addWidget(m_serviceCalendars);
    layout->addWidget(wrappedLabel(QStringLiteral("The calendars of your desktop’s online accounts, as GNOME Calendar "
                                                  "and Evolution show them."),
                                   m_serviceBox));
    // Shown only when the service answers with calendars, and asked only once reading is allowed.
    m_serviceBox->hide();
    return m_serviceBox;
}

void CalendarPrivacyDialog::listServiceCalendars()
{
    if (m_serviceListed || !m_store || m_store->authorization() != CalendarStore::Authorization::FullAccess)
        return;
    m_serviceListed = true;
    QCoro::connect(m_store->serviceCalendars(), this, [this](const QList<DesktopCalendarService::Calendar> &calendars) {
        if (!m_store)
            return;
        const QStringList switchedOff = m_store->switchedOffServiceCalendars();
        for (const DesktopCalendarService::Calendar &calendar : calendars) {
            auto *item = new QListWidgetItem(colourSwatch(QColor(calendar.colour)), calendar.name, m_serviceCalendars);
            item->setData(kUidRole, calendar.uid);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(switchedOff.contains(calendar.uid) ? Qt::Unchecked : Qt::Checked);
            // The service reads its local calendars itself; their files are not listed twice.
            for (int row = 0; row < m_files->count(); ++row) {
                QListWidgetItem *file = m_files->item(row);
                if (QFileInfo(file->data(kPathRole).toString()).dir().dirName() == calendar.uid &&
                    file->data(kPathRole).toString().startsWith(CalendarStore::desktopCalendarsDir()))
                    file->setHidden(true);
            }
        }
        m_serviceBox->setVisible(!calendars.isEmpty());
        updateFileListEnabled();
    });
}

CalendarPrivacyDialog *CalendarPrivacyDialog::present(CalendarStore &store, QWidget *parent)
{
    static QPointer<CalendarPrivacyDialog> open;
    if (!open) {
        open = new CalendarPrivacyDialog(store, parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}

QWidget *CalendarPrivacyDialog::accessChoice()
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    m_allow = new QRadioButton(QStringLiteral("Allow Tessarine to read your calendars"), box);
    m_refuse = new QRadioButton(QStringLiteral("Don’t allow calendar access"), box);
    // Until the user has answered, neither choice is selected, and saving leaves the question open.
    auto *group = new QButtonGroup(box);
    group->addButton(m_allow);
    group->addButton(m_refuse);
    const CalendarStore::Authorization current = m_store->authorization();
    m_allow->setChecked(current == CalendarStore::Authorization::FullAccess);
    m_refuse->setChecked(current == CalendarStore::Authorization::Denied);
    connect(m_allow, &QRadioButton::toggled, this, &CalendarPrivacyDialog::updateFileListEnabled);
    layout->addWidget(m_allow);
    layout->addWidget(m_refuse);
    return box;
}

QWidget *CalendarPrivacyDialog::fileChoice()
{
    auto *group = new QGroupBox(QStringLiteral("Calendar files"), this);
    auto *layout = new QVBoxLayout(group);
    const QString folder = homeRelative(CalendarStore::tessarineCalendarsDir());
    m_files = new QListWidget(group);
    m_noFiles = wrappedLabel(QStringLiteral("No calendar files found. Put .ics files in %1, or add a local calendar "
                                            "in your desktop’s calendar app.")
                                 .arg(folder),
                             group);
    layout->addWidget(m_files);
    layout->addWidget(m_noFiles);
    layout->addWidget(wrappedLabel(QStringLiteral("Tessarine reads the .ics files in %1 and your desktop’s local "
                                                  "calendars. Untick a file to leave it out.")
                                       .arg(folder),
                                   group));
    auto *openFolder = new QPushButton(QStringLiteral("Open Calendars Folder"), group);
    connect(openFolder, &QPushButton::clicked, this, [] {
        const QString path = CalendarStore::tessarineCalendarsDir();
        QDir().mkpath(path);
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    });
    layout->addWidget(openFolder, 0, Qt::AlignLeft);
    return group;
}

void CalendarPrivacyDialog::listFiles()
{
    for (const QString &path : m_store->calendarFiles()) {
        const bool tooLarge = CalendarFileReader::isTooLarge(path);
        // What went wrong at the last reading, so one bad file is told apart from the rest.
        const QString problem = m_store->fileProblem(path);
        auto *item =
            new QListWidgetItem(tooLarge ? QStringLiteral("%1 — too large, skipped (over %2 MB)")
                                               .arg(displayName(path))
                                               .arg(CalendarFileReader::maxFileBytes / (1024 * 1024))
                                : problem.isEmpty() ? displayName(path)
                                                    : QStringLiteral("%1 — %2").arg(displayName(path), problem),
                                m_files);
        item->setData(kPathRole, path);
        item->setToolTip(homeRelative(path));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(m_store->isSwitchedOff(path) ? Qt::Unchecked : Qt::Checked);
    }
    m_files->setVisible(m_files->count() > 0);
    m_noFiles->setVisible(m_files->count() == 0);
}

void CalendarPrivacyDialog::updateFileListEnabled()
{
    m_files->setEnabled(m_allow->isChecked());
    m_serviceCalendars->setEnabled(m_allow->isChecked());
    listServiceCalendars();
}

void CalendarPrivacyDialog::save()
{
    if (!m_store)
        return;
    if (m_allow->isChecked())
        m_store->setAuthorization(CalendarStore::Authorization::FullAccess);
    else if (m_refuse->isChecked())
        m_store->setAuthorization(CalendarStore::Authorization::Denied);

    // Files switched off earlier that are not here now (a calendar removed for a while) stay off.
    QStringList switchedOff;
    QStringList listed;
    for (int row = 0; row < m_files->count(); ++row) {
        const QListWidgetItem *item = m_files->item(row);
        const QString path = item->data(kPathRole).toString();
        listed.append(path);
        if (item->checkState() == Qt::Unchecked)
            switchedOff.append(path);
    }
    for (const QString &path : m_store->switchedOffFiles()) {
        if (!listed.contains(path))
            switchedOff.append(path);
    }
    m_store->setSwitchedOffFiles(switchedOff);
    for (int row = 0; row < m_serviceCalendars->count(); ++row) {
        const QListWidgetItem *item = m_serviceCalendars->item(row);
        m_store->setServiceCalendarSwitchedOn(item->data(kUidRole).toString(), item->checkState() == Qt::Checked);
    }
}
