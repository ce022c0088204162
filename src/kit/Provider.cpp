// SPDX-License-Identifier: GPL-3.0-or-later
#include "Provider.h"

const QList<Provider> &Provider::all()
{
    using D = Detection;
    using S = Source;
    static const QList<Provider> providers{
        {QStringLiteral("claude"), QStringLiteral("Claude"), QStringLiteral("Claude"), QStringLiteral("claude"),
         Kind::AiPlan, D::ClaudeCode, QStringLiteral("claude"), S::ClaudeStatusLine, QStringLiteral("#cf6d48"),
         QStringLiteral("#e8896a")},
        {QStringLiteral("codex"), QStringLiteral("Codex"), QStringLiteral("Codex (ChatGPT)"), QStringLiteral("openai"),
         Kind::AiPlan, D::CommandLineTool, QStringLiteral("codex"), S::CodexAppServer, QStringLiteral("#159a78"),
         QStringLiteral("#3fc9a2")},
        // Grok's mark is black on light paper and white on dark, as the text is.
        {QStringLiteral("grok"), QStringLiteral("Grok"), QStringLiteral("Grok"), QStringLiteral("grok"), Kind::AiPlan,
         D::CommandLineTool, QStringLiteral("grok"), S::GrokUsage, QStringLiteral("#1b1d21"),
         QStringLiteral("#eceef1")},
        // Gemini CLI is found, but it has no usage report to read yet. Its mark in the windows is
        // always the one-colour template.
        {QStringLiteral("gemini"), QStringLiteral("Gemini"), QStringLiteral("Gemini"), QStringLiteral("gemini"),
         Kind::AiPlan, D::CommandLineTool, QStringLiteral("gemini"), S::NoReport, QStringLiteral("#4a78ee"),
         QStringLiteral("#7fa2ff"), false},
        {QStringLiteral("wispr"), QStringLiteral("Wispr Flow"), QStringLiteral("Wispr Flow"), QStringLiteral("wispr"),
         Kind::Dictation, D::WisprDatabase, QString(), S::WisprDatabase, QStringLiteral("#b8521c"),
         QStringLiteral("#ff9a5e")},
    };
    return providers;
}

QString Provider::kindName() const
{
    return kind == Kind::Dictation ? QStringLiteral("dictation") : QStringLiteral("plan");
}

QStringList Provider::ids()
{
    QStringList result;
    for (const Provider &provider : all())
        result.append(provider.id);
    return result;
}

const Provider *Provider::find(const QString &id)
{
    for (const Provider &provider : all()) {
        if (provider.id == id)
            return &provider;
    }
    return nullptr;
}

const Provider *Provider::withLogo(const QString &logo)
{
    for (const Provider &provider : all()) {
        if (provider.logo == logo)
            return &provider;
    }
    return nullptr;
}

QJsonArray Provider::tableJson()
{
    QJsonArray rows;
    for (const Provider &provider : all())
        rows.append(QJsonObject{{QStringLiteral("id"), provider.id},
                                {QStringLiteral("name"), provider.name},
                                {QStringLiteral("title"), provider.title},
                                {QStringLiteral("logo"), provider.logo},
                                {QStringLiteral("kind"), provider.kindName()},
                                {QStringLiteral("tints"), QJsonObject{{QStringLiteral("light"), provider.tintOnLight},
                                                                      {QStringLiteral("dark"), provider.tintOnDark}}}});
    return rows;
}

QJsonObject Provider::withTable(QJsonObject document)
{
    if (!document.contains(QStringLiteral("providers")))
        document.insert(QStringLiteral("providers"), tableJson());
    return document;
}
