#include "shell/WindowFactory.h"

namespace {
WindowFactory *gWindowFactory = nullptr;
}

WindowFactory *windowFactory()
{
    return gWindowFactory;
}

void setWindowFactory(WindowFactory *factory)
{
    gWindowFactory = factory;
}
