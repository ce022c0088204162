// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/WindowFactories.h"

#include "LayoutEditor.h"

QWidget *WindowFactories::createEditor(FrameModel &model)
{
    return new LayoutEditor(model);
}
