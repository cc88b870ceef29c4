#ifndef QUORVEX_PLATFORM_OLE2_H
#define QUORVEX_PLATFORM_OLE2_H

#include "objbase.h"
#include "oleauto.h"

#endif
