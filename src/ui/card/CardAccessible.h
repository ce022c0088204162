// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class FrameView;

// The card as assistive technologies see it: a window named after the shown page, described by
// the page's words (CardSpeech), with the actions "Next Page", "Previous Page" and "Open Menu".
class CardAccessible : public QAccessibleWidget
{
public:
    static const QString nextPageAction;
    static const QString previousPageAction;
    static const QString openMenuAction;

    explicit CardAccessible(FrameView *view);

    // Makes every FrameView use this interface, and the program the one that lists its open
    // menu; safe to call more than once, and before the application exists (it must be, for the
    // program's interface, which Qt makes once).
    static void install();

    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    FrameView *view() const;
};
