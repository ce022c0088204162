#include "WindowFactories.h"

// The welcome flow is not part of the program yet: "Show Welcome…" opens nothing.
QWidget *WindowFactories::createWelcome(FrameModel &, std::function<void()>)
{
    return nullptr;
}
