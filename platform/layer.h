#ifndef QUORVEX_PLATFORM_LAYER_H
#define QUORVEX_PLATFORM_LAYER_H

#include "wintypes.h"

// Calls that exist only in this layer: counts that let tests prove nothing is left behind.

extern "C"
{
    ULONG WINAPI LayerRegisteredClassCount();
}

#endif
