// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardSpeech.h"

#include "model/FrameModel.h"

namespace {

const QString appName = QStringLiteral("Tessarine");
const QString waiting = QStringLiteral("Waiting for the first refresh…");
const QString welcome = QStringLiteral("Welcome to Tessarine. Choose your first pages in the welcome window.");

// When the shown page has no words of its own (never drawn, or drawn before pages had any), the
// card says what it shows instead: the error line or the waiting note, as the page area does.
QString pageWords(const FrameModel &model)
{
    if (const std::optional<QString> text = model.pageText(model.view()))
        return *text;
    if (model.image(model.view(), false).isNull()) {
        if (model.welcoming())
            return welcome;
        return model.errorLine() ? QString() : waiting;
    }
    return model.manifest() ? model.manifest()->title(model.view()) : QString();
}

} // namespace

QString CardSpeech::name(const FrameModel &model)
{
    const std::optional<ScreenManifest> &manifest = model.manifest();
    if (!manifest || !manifest->pageNames.contains(model.view()))
        return appName;
    return manifest->title(model.view());
}

QString CardSpeech::description(const FrameModel &model)
{
    QStringList parts;
    const QString words = pageWords(model);
    if (!words.isEmpty())
        parts.append(words);
    if (const QString failed = failure(model); !failed.isEmpty())
        parts.append(failed);
    return parts.join(QStringLiteral("\n\n"));
}

QString CardSpeech::failure(const FrameModel &model)
{
    // The same failure the card's mark shows; with no picture at all the card shows the error
    // line itself, so it is said too.
    if (!model.failureNote().isEmpty())
        return model.failureNote();
    if (const std::optional<QString> error = model.errorLine();
        error && !error->isEmpty() && !model.welcoming() && model.image(model.view(), false).isNull())
        return QStringLiteral("Last refresh failed: ") + *error;
    return QString();
}
