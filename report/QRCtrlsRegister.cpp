// Start-up of the report engine's classes: report files and forms create
// the report, its bands and its controls by their class names.
#include "QRCtrls.h"

#include "DBTables.h"
#include "SysInit.h"

void RegisterQRReportClasses()
{
    RegisterComponentClass<TRazorUze>();
    RegisterComponentClass<TQRBand>();
    RegisterComponentClass<TQRGroup>();
    RegisterComponentClass<TQRSubDetail>();
    RegisterComponentClass<TQRLabel>();
    RegisterComponentClass<TQRExpr>();
    RegisterComponentClass<TQRShape>();
    RegisterComponentClass<TTable>();
    RegisterComponentClass<TQuery>();
    RegisterComponentClass<TQRChildBand>();
}

VELMORA_UNIT_START_UP(QRCtrls, RegisterQRReportClasses)
