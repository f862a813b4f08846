// The demonstration program. Start-up runs the library's and the report
// engine's unit initialisation in unit order, then the application makes
// its windows (the first one is the main window) and runs until the main
// window closes; the windows are freed while the Qt application still
// exists, and the units are finalised in reverse order.
#include "Forms.h"
#include "QRCtrls.h"
#include "QRExpr.h"
#include "UnAVLabel.h"
#include "UnBarCode.h"
#include "UnDemo.h"
#include "UnDirectoryView.h"
#include "UnGridTest.h"
#include "UnShape.h"
#include "UnVLabel.h"
#include "ZvCodePage.h"
#include "ZvTUtils.h"

#include <QtWidgets/QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ZvCodePageInitialize();
    ZvTUtilsInitialize();
    InitializeQRExpr();
    RegisterQRReportClasses();

    Application->Initialize();
    Application->SetTitle(QStringLiteral("カスタムコンポーネント・デモ"));
    Application->CreateForm(Form1);
    // The other demonstration windows follow the main window, in this
    // order: TForm2, TForm3, TFrmZvVLabel, TForm6, TFrmZvAVLabel, TFrmDemo.
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->CreateForm(FrmZvVLabel);
    Application->CreateForm(Form6);
    Application->CreateForm(FrmZvAVLabel);
    Application->CreateForm(FrmDemo);
    Application->Run();
    Application->DestroyComponents();

    FinalizeQRExpr();
    ZvTUtilsFinalize();
    return 0;
}
