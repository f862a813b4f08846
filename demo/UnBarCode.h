// The barcode window ("Form6"): a barcode and a QR code whose data,
// symbology, angle and module size are chosen with the boxes below them,
// and a plain stretched image showing a copy of the barcode's picture. A
// change takes effect when the focus leaves its box.
#pragma once

#include "Forms.h"

class TCBarImage;
class TCQRImage;
class TCustomTextureLabel;
class TImage;
class TLabel;
class TPanel;
class TSBtn;
class TSComboBox;
class TSEdit;
class TTexturePanel;

class TForm6 : public TForm {
public:
    explicit TForm6(TComponent* AOwner);

    TTexturePanel* TexturePanel1;
    TCustomTextureLabel* TextureLabel1;
    TTexturePanel* TexturePanel2;
    TSBtn* SBtn1;
    TPanel* Panel1;
    TCBarImage* CBarImage1;
    TCQRImage* CQRImage1;
    TImage* Image1;
    TPanel* PnlData;
    TSEdit* SEdit1;
    TSEdit* SEdit2;
    TPanel* PnlKind;
    TSComboBox* ScbBarType;
    TSComboBox* ScbCellSize;
    TSComboBox* ScbAngle;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void SBtn1Click(TObject* Sender);
    void ScbBarTypeModifyEx(TObject* Sender, bool& Accept);

private:
    void buildForm();
    void buildImages();
    void buildBoxes();
    TLabel* caption(TWinControl* parent, const QString& name, const QString& text, const TRect& bounds);
    TPanel* host(TWinControl* parent, const QString& name, const TRect& bounds);
    template <class Box>
    Box* box(TWinControl* parent, const QString& name, const TRect& hostBounds);
    void copyBarcode();
    void applyBarType();
    void applyCellSize();
};

extern TForm6* Form6;
