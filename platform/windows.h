#ifndef QUORVEX_PLATFORM_WINDOWS_H
#define QUORVEX_PLATFORM_WINDOWS_H

// The subset of the Windows API that Quorvex and its test servers call, for
// builds on other systems. Same names, types and behaviour for the cases met.

#include "wintypes.h"
#include "winbase.h"
#include "wincrypt.h"
#include "winuser.h"
#include "winreg.h"
#include "ole2.h"
#include "ocidl.h"

#endif
