// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QWidget>

class OnboardingView;
class QLabel;
class QPushButton;
class ToolRowWidget;

// The third step of the welcome flow: the AI tools found on this computer, each with a tick box
// for the starting pages, and whether the calendar may be read. While the search for the tools
// runs, a small busy line stands in for the rows.
class ToolsStep : public QWidget
{
    Q_OBJECT
public:
    explicit ToolsStep(OnboardingView &view, QWidget *parent = nullptr);

    ToolRowWidget *row(const QString &id) const { return m_rows.value(id); }
    bool isSearching() const;
    // The calendar line's text, or null while it offers "Allow Calendar Access…".
    QLabel *calendarText() const { return m_calendarText; }
    QPushButton *allowCalendarButton() const { return m_allowCalendar; }

private:
    QWidget *searchingLine();
    QWidget *toolsPanel();
    QWidget *calendarLine();
    void applyState();
    void applyTools();
    void applyCalendar();
    void allowCalendar();

    OnboardingView &m_view;
    QWidget *m_searching = nullptr;
    QWidget *m_panel = nullptr;
    QHash<QString, ToolRowWidget *> m_rows;
    QLabel *m_calendarText = nullptr;
    QPushButton *m_allowCalendar = nullptr;
};
