#pragma once
// Colour wells take a colour only when there is one.

#include "platform/Color.h"

template <class Well> void SETCOLOR(Well *well, const platform::Color &color)
{
    if (well && color.isValid())
        well->setColor(color);
}
