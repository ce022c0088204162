// SPDX-License-Identifier: GPL-3.0-or-later
#include "FirstStart.h"

#include "FrameModel.h"
#include "StartFindings.h"
#include "StartPages.h"
#include "platform/CalendarStore.h"
#include "platform/SignalWait.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"

#include <QCoroTask>
#include <QPointer>
#include <QSet>

bool FirstStart::hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool FirstStart::isNeeded(const FrameModel &model)
{
    return model.needsWelcome() && !hasDisplay();
}

QCoro::Task<> FirstStart::run(FrameModel &model)
{
    const QPointer<FrameModel> guard(&model);
    // The sign-in service reads a stored token as it is made; made now, it does so while the
    // probe runs rather than after it.
    model.github();
    ConnectionsState state;
    state.check(model.screensDir());
    // The probe ends by itself: the shell it runs in is stopped after a time-out.
    while (state.isChecking())
        co_await nextSignal(&state, &ConnectionsState::isCheckingChanged);
    if (!guard)
        co_return;

    const bool calendar = guard->eventStore().authorization() == CalendarStore::Authorization::FullAccess;
    const Choice choice = choose(state, guard->github().state(), calendar);
    guard->start(choice.pages, choice.providers);
}

FirstStart::Choice FirstStart::choose(const ConnectionsState &state, const GitHubAuthState &signIn, bool calendar)
{
    const QStringList providers = StartFindings::providers(state);
    const QSet<QString> chosen(providers.cbegin(), providers.cend());
    const bool github = StartFindings::githubReady(signIn, state.ghLogin());
    const QList<Page> pages = StartPages::pages(StartPages::Start::recommended, github, StartFindings::plans(chosen),
                                                chosen.contains(QStringLiteral("wispr")), calendar);
    return {pages, providers};
}
