// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubscriptionList.h"

#include "AddSubscriptionDialog.h"
#include "SubscriptionStatusText.h"
#include "platform/CalendarSubscriptions.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIdRole = Qt::UserRole;

} // namespace

SubscriptionList::SubscriptionList(CalendarSubscriptions &subscriptions, QWidget *parent)
    : QWidget(parent)
    , m_subscriptions(&subscriptions)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(this);
    m_list->setWordWrap(true);
    m_list->setSpacing(3);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_list);
    auto *buttons = new QHBoxLayout;
    m_add = new QPushButton(QStringLiteral("Add Subscription…"), this);
    m_rename = new QPushButton(QStringLiteral("Rename…"), this);
    m_remove = new QPushButton(QStringLiteral("Remove"), this);
    buttons->addWidget(m_add);
    buttons->addWidget(m_rename);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &SubscriptionList::addSubscription);
    connect(m_rename, &QPushButton::clicked, this, &SubscriptionList::renameSelected);
    connect(m_remove, &QPushButton::clicked, this, &SubscriptionList::removeSelected);
    connect(m_list, &QListWidget::itemChanged, this, &SubscriptionList::switchItem);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &SubscriptionList::updateButtons);
    connect(&subscriptions, &CalendarSubscriptions::listChanged, this, &SubscriptionList::fill);
    connect(&subscriptions, &CalendarSubscriptions::statesChanged, this, &SubscriptionList::fill);
    fill();
}

void SubscriptionList::fill()
{
    if (!m_subscriptions)
        return;
    const QString selected = selectedId();
    m_filling = true;
    m_list->clear();
    for (const CalendarSubscription &subscription : m_subscriptions->list()) {
        const QString status = SubscriptionStatusText::of(subscription, m_subscriptions->state(subscription.id));
        auto *item = new QListWidgetItem(subscription.name + QLatin1Char('\n') + status, m_list);
        item->setData(kIdRole, subscription.id);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(subscription.enabled ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(status);
        if (subscription.id == selected)
            item->setSelected(true);
    }
    m_list->setVisible(m_list->count() > 0);
    m_filling = false;
    updateButtons();
}

QString SubscriptionList::selectedId() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(kIdRole).toString();
}

void SubscriptionList::updateButtons()
{
    const bool any = !selectedId().isEmpty();
    m_rename->setEnabled(any);
    m_remove->setEnabled(any);
}

void SubscriptionList::switchItem(QListWidgetItem *item)
{
    if (m_filling || !m_subscriptions)
        return;
    m_subscriptions->setEnabled(item->data(kIdRole).toString(), item->checkState() == Qt::Checked);
}

void SubscriptionList::addSubscription()
{
    if (!m_subscriptions)
        return;
    auto *dialog = new AddSubscriptionDialog(*m_subscriptions, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void SubscriptionList::renameSelected()
{
    const QString id = selectedId();
    if (id.isEmpty() || !m_subscriptions)
        return;
    QString current;
    for (const CalendarSubscription &subscription : m_subscriptions->list()) {
        if (subscription.id == id)
            current = subscription.name;
    }
    auto *dialog = new QInputDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Rename Subscription"));
    dialog->setLabelText(QStringLiteral("Name"));
    dialog->setTextValue(current);
    connect(dialog, &QInputDialog::textValueSelected, this, [this, id](const QString &name) {
        if (m_subscriptions)
            m_subscriptions->rename(id, name);
    });
    dialog->open();
}

void SubscriptionList::removeSelected()
{
    const QString id = selectedId();
    if (!id.isEmpty() && m_subscriptions)
        m_subscriptions->remove(id);
}
