// SPDX-License-Identifier: GPL-3.0-or-later
#include "Problem.h"

Problem::Problem(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{}
