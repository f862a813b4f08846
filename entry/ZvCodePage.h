// The system's code pages and user locale, recorded once at start-up.
#pragma once

#include "Types.h"

extern Cardinal ZvAnsiCodePage;  // GetACP
extern Cardinal ZvOemCodePage;   // GetOEMCP
extern Cardinal ZvUserLocale;    // GetUserDefaultLCID

// Start-up work: runs by itself with the application object; calling it
// again changes nothing.
void ZvCodePageInitialize();
