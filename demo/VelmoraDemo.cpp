// The demonstration program. The library's and the report engine's units
// start by themselves while the application object is built; the program
// then makes its windows (the first one is the main window) and runs until
// the main window closes. The windows are freed while the Qt application
// still exists; the units shut down when the program ends.
#include "Forms.h"
#include "UnAVLabel.h"
#include "UnBarCode.h"
#include "UnDemo.h"
#include "UnDirectoryView.h"
#include "UnGridTest.h"
#include "UnShape.h"
#include "UnVLabel.h"

#include <QtWidgets/QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    return 0;
}
