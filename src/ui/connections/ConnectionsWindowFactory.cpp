// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/WindowFactories.h"

#include "ConnectionsView.h"

QWidget *WindowFactories::createConnections(FrameModel &model)
{
    return new ConnectionsView(model);
}
