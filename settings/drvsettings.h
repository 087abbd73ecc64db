/*
 * Public header of drvsettings.dll, the driver settings library as a DLL for
 * the driver's user interface. It declares the library's C functions
 * (device-mode block, registry profiles, settings families, selecting
 * accessors, INI export), imported from the DLL. Link with the import library of
 * drvsettings.dll (libdrvsettings.dll.a with mingw-w64, drvsettings.lib
 * with MSVC), or load the DLL and look the functions up by these names.
 */
#ifndef JH_SETTINGS_DRVSETTINGS_H
#define JH_SETTINGS_DRVSETTINGS_H

#if !defined(DRVSETTINGS_USE_DLL)
#define DRVSETTINGS_USE_DLL
#endif

#include "devmode.h"
#include "profile.h"
#include "families.h"
#include "selectors.h"
#include "iniexport.h"

#endif /* JH_SETTINGS_DRVSETTINGS_H */
