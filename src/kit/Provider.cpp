// SPDX-License-Identifier: GPL-3.0-or-later
#include "Provider.h"

const QList<Provider> &Provider::all()
{
    using D = Detection;
    using S = Source;
    static const QList<Provider> providers{
        {QStringLiteral("claude"), QStringLiteral("Claude"), QStringLiteral("Claude"), QStringLiteral("claude"),
         Kind::AiPlan, D::ClaudeCode, QStringLiteral("claude"), S::ClaudeStatusLine},
        {QStringLiteral("codex"), QStringLiteral("Codex"), QStringLiteral("Codex (ChatGPT)"), QStringLiteral("openai"),
         Kind::AiPlan, D::CommandLineTool, QStringLiteral("codex"), S::CodexAppServer},
        {QStringLiteral("grok"), QStringLiteral("Grok"), QStringLiteral("Grok"), QStringLiteral("grok"), Kind::AiPlan,
         D::CommandLineTool, QStringLiteral("grok"), S::GrokUsage},
        // Gemini CLI is found, but it has no usage report to read yet.
        {QStringLiteral("gemini"), QStringLiteral("Gemini"), QStringLiteral("Gemini"), QStringLiteral("gemini"),
         Kind::AiPlan, D::CommandLineTool, QStringLiteral("gemini"), S::NoReport},
        {QStringLiteral("wispr"), QStringLiteral("Wispr Flow"), QStringLiteral("Wispr Flow"), QStringLiteral("wispr"),
         Kind::Dictation, D::WisprDatabase, QString(), S::WisprDatabase},
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
