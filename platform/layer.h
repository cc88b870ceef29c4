#ifndef QUORVEX_PLATFORM_LAYER_H
#define QUORVEX_PLATFORM_LAYER_H

#include "wintypes.h"

// Calls that exist only in this layer, for what Windows keeps in its registry.

extern "C"
{
    // Maps a ProgID to a class for CLSIDFromProgID (HKEY_CLASSES_ROOT\ProgID\CLSID on Windows).
    HRESULT WINAPI LayerRegisterProgID(LPCOLESTR lpszProgID, REFCLSID rclsid);
    HRESULT WINAPI LayerUnregisterProgID(LPCOLESTR lpszProgID);
    // Number of class objects registered and ROT entries held: lets tests prove nothing is left behind.
    ULONG WINAPI LayerRegisteredClassCount();
    ULONG WINAPI LayerRunningObjectCount();
}

#endif
