// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserError.h"

UserError::UserError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{}
