// The code-page unit: start-up values of the code pages and the locale.
#include "ZvCodePage.h"

#include "SysInit.h"
#include "Windows.h"

Cardinal ZvAnsiCodePage = 0;
Cardinal ZvOemCodePage = 0;
Cardinal ZvUserLocale = 0;

void ZvCodePageInitialize() {
    ZvAnsiCodePage = GetACP();
    ZvOemCodePage = GetOEMCP();
    ZvUserLocale = GetUserDefaultLCID();
}

VELMORA_UNIT_START_UP(ZvCodePage, ZvCodePageInitialize)
