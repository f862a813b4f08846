// Start-up of the report engine's classes: report files and forms create
// bands and controls by their class names.
#include "QRCtrls.h"

#include "DBTables.h"

void RegisterQRReportClasses()
{
    RegisterComponentClass<TQRBand>();
    RegisterComponentClass<TQRChildBand>();
    RegisterComponentClass<TQRLabel>();
    RegisterComponentClass<TQRShape>();
    RegisterComponentClass<TTable>();
    RegisterComponentClass<TQuery>();
}
