// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameRefreshInputs.h"

#include "FrameModel.h"
#include "data/GitHubCliToken.h"
#include "data/Shell.h"
#include "services/GitHubAuth.h"

#include <chrono>

namespace {

using namespace std::chrono_literals;

constexpr auto ghTokenTimeout = 10s;
const QString ghTokenCommand = QStringLiteral("gh auth token");

} // namespace

FrameRefreshInputs::FrameRefreshInputs(FrameModel &model)
    : m_model(model)
{}

RefreshInputs::Settings FrameRefreshInputs::settings() const
{
    return Settings{m_model.pages(), m_model.providers(), m_model.showLogos(), m_model.countdown(),
                    m_model.catalogue()};
}

ScreenLook FrameRefreshInputs::look() const
{
    return m_model.look();
}

QCoro::Task<std::optional<QString>> FrameRefreshInputs::token()
{
    const std::optional<QString> signedIn = co_await m_model.github().accessToken();
    if (signedIn && !signedIn->isEmpty())
        co_return signedIn;
    // The GitHub command-line tool's own sign-in serves as well.
    const Shell::Result result = co_await Shell::run(ghTokenCommand, ghTokenTimeout);
    if (!result.succeeded())
        co_return std::nullopt;
    co_return GitHubCliToken::fromOutput(result.output);
}

QCoro::Task<QJsonObject> FrameRefreshInputs::calendar()
{
    return m_model.calendarData();
}
