// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One source of AI plan usage or dictation figures on this computer, and the one table of them.
// The collector, the model, the connections window and the welcome flow all read this table, so a
// new provider is a new row here plus its source and its connection row.
struct Provider
{
    // How Tessarine finds out that the provider is on this computer.
    enum class Detection
    {
        ClaudeCode,      // Claude Code's own settings (~/.claude)
        CommandLineTool, // its command-line tool, `tool`, on the login shell's PATH
        WisprDatabase    // Wispr Flow's dictation database
    };

    enum class Kind
    {
        AiPlan,   // usage of an AI coding plan, shown by the plan widgets
        Dictation // dictation figures
    };

    QString id;    // "claude", …: the settings file, widget ids ("provider.<id>"), the data document
    QString name;  // the provider's name in the data document: "Codex"
    QString title; // the name the windows and the menu show: "Codex (ChatGPT)"
    QString logo;  // the shipped logo's name: "openai"
    Kind kind = Kind::AiPlan;
    Detection detection = Detection::CommandLineTool;
    QString tool;                // the command-line program the tool probe looks for; empty for none
    bool hasUsageReport = false; // whether the provider reports anything a widget can show yet

    // Every provider in the fixed order in which menus, windows, settings and the data document
    // list them.
    static const QList<Provider> &all();
    // The ids of all(), in order.
    static QStringList ids();
    // The provider with this id; none for an unknown id.
    static const Provider *find(const QString &id);
};
