/* Qt's windows platform plugin includes Wacom's wintab.h, which Debian's
 * qtbase source leaves out. build-qt-mingw.sh installs this as wintab.h, over
 * Wine's LGPL wintab.h (as wine_wintab.h) and pktdef.h, with the two A/W
 * helper macros that only Wine's headers define elsewhere. */
#ifndef VELTRIN_WINTAB_WRAPPER_H
#define VELTRIN_WINTAB_WRAPPER_H
#include <windows.h>
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(func) func##W
#else
#define WINELIB_NAME_AW(func) func##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#include "wine_wintab.h"
/* Wacom's wintab.h also defines the calling convention macro API. */
#ifndef API
#define API WINAPI
#endif
#endif
