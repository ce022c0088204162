// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// One source of AI plan usage or dictation figures on this computer, and the one table of them.
// Everything that lists, names, finds, reads or draws a provider reads this table: the menu and
// the settings, the collector (which also hands the table to the page view in the data
// document), the tool probe, the connections window and the welcome flow. What really differs
// from one provider to the next (how its figures are read, how its rows are worded) is chosen by
// the row's `source`, so a new provider is a new row, a new source and the cases the compiler
// then asks for.
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

    // Where the provider's figures come from. The collector reads each source its own way, and
    // the windows word each provider's row after it.
    enum class Source
    {
        ClaudeStatusLine, // the report Claude Code's status line writes after each session
        CodexAppServer,   // the Codex app server's rate limits and token counts
        GrokUsage,        // "grok usage --json"
        NoReport,         // found, but it reports nothing a widget can show yet
        WisprDatabase     // Wispr Flow's dictation database, word counts only
    };

    QString id;    // "claude", …: the settings file, widget ids ("provider.<id>"), the data document
    QString name;  // the provider's name in the data document and on the pages: "Codex"
    QString title; // the name the windows and the menu show: "Codex (ChatGPT)"
    QString logo;  // the shipped logo's name: "openai"
    Kind kind = Kind::AiPlan;
    Detection detection = Detection::CommandLineTool;
    QString tool; // the command-line program the tool probe looks for; empty for none
    Source source = Source::NoReport;
    // The logo's tint where a look draws logos in their own colours, on light and on dark paper
    // ("#rrggbb"); the page view takes them from the data document.
    QString tintOnLight;
    QString tintOnDark;
    // Whether the shipped logo has a form in its own colours ("<logo>-color.svg") for the windows;
    // without one the one-colour mark is tinted like text.
    bool colouredLogoFile = true;

    // Whether the provider reports anything a widget can show yet.
    bool hasUsageReport() const { return source != Source::NoReport; }
    // The kind as the data document spells it: "plan" or "dictation".
    QString kindName() const;

    // Every provider in the fixed order in which menus, windows, settings and the data document
    // list them.
    static const QList<Provider> &all();
    // The ids of all(), in order.
    static QStringList ids();
    // The provider with this id; none for an unknown id.
    static const Provider *find(const QString &id);
    // The provider whose logo has this name; none when no provider's has.
    static const Provider *withLogo(const QString &logo);

    // The table as the data document carries it for the page view, one object a provider: id,
    // name, title, logo, kind and the logo's tints ("tints": {"light", "dark"}).
    static QJsonArray tableJson();
    // `document` with the table, when it has none yet: a document written before the table was
    // added is drawn as one written now.
    static QJsonObject withTable(QJsonObject document);
};
