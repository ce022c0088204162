// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsentRecorder.h"

ConsentRecorder::ConsentRecorder(std::optional<bool> answer)
    : m_answer(answer)
{}

QCoro::Task<std::optional<bool>> ConsentRecorder::askForCalendarAccess()
{
    ++asked;
    co_return m_answer;
}
