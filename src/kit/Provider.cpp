// SPDX-License-Identifier: GPL-3.0-or-later
#include "Provider.h"

using namespace Qt::Literals::StringLiterals;

const QList<Provider> &Provider::all()
{
    using D = Detection;
    using S = Source;
    static const QList<Provider> providers{
        {u"claude"_s, u"Claude"_s, u"Claude"_s, u"claude"_s, Kind::AiPlan, D::ClaudeCode, u"claude"_s,
         S::ClaudeStatusLine},
        {u"codex"_s, u"Codex"_s, u"Codex (ChatGPT)"_s, u"openai"_s, Kind::AiPlan, D::CommandLineTool, u"codex"_s,
         S::CodexAppServer},
        {u"grok"_s, u"Grok"_s, u"Grok"_s, u"grok"_s, Kind::AiPlan, D::CommandLineTool, u"grok"_s, S::GrokUsage},
        // Gemini CLI is found, but it has no usage report to read yet.
        {u"gemini"_s, u"Gemini"_s, u"Gemini"_s, u"gemini"_s, Kind::AiPlan, D::CommandLineTool, u"gemini"_s,
         S::NoReport},
        {u"wispr"_s, u"Wispr Flow"_s, u"Wispr Flow"_s, u"wispr"_s, Kind::Dictation, D::WisprDatabase, QString(),
         S::WisprDatabase},
    };
    return providers;
}

QString Provider::kindName() const
{
    return kind == Kind::Dictation ? u"dictation"_s : u"plan"_s;
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
