// The component-list window ("コンポーネント一覧"): one of most of the
// library's controls side by side under the main window's function-key bar.
// F1 ("閉じる") is its only working key.
#pragma once

#include "Forms.h"

#include <array>

class TCBarImage;
class TCQRImage;
class TPanel;
class TSBtn;
class TSComboBox;
class TSDBGrid;
class TSEdit;
class TStatusBar;
class TTextureLabel;
class TTexturePanel;
class TZvAVLabel;
class TZvShape;
class TZvVLabel;

class TFrmDemo : public TForm {
public:
    explicit TFrmDemo(TComponent* AOwner);

    TSDBGrid* SDBGrid1;
    TCQRImage* CQRImage1;
    TCBarImage* CBarImage1;
    TZvAVLabel* ZvAVLabel1;  // "12種バーコード"
    TZvShape* ZvShape1;
    TZvVLabel* ZvVLabel1;
    TZvAVLabel* ZvAVLabel2;
    TZvAVLabel* ZvAVLabel3;
    TSEdit* SEdit1;
    TSEdit* SEdit2;
    TSComboBox* SComboBox1;
    TSComboBox* SComboBox2;
    TTexturePanel* TexturePanel1;
    TTextureLabel* TextureLabel1;
    TPanel* PnlMenu;
    std::array<TSBtn*, 12> SBtn{};  // SBtn1..SBtn12
    TStatusBar* sb1;

    TSBtn* FnButton(Integer n) const { return SBtn[n - 1]; }

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void PnlMenuResize(TObject* Sender);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void SBtnClick(TObject* Sender);

private:
    void buildForm();
    void buildGrid();
    void buildCodes();
    void buildLabels();
    void buildBoxes();
    void buildTexture();
    void buildFnKeys();
    TPanel* captionPanel(const QString& name, const QString& caption, const TRect& bounds);
    TPanel* hostPanel(const QString& name, const TRect& bounds);
    void SetFnCaptions(TObject* Sender, Word& Key, TShiftState Shift);
    void announceFocused();
    void releaseButtons();
};

extern TFrmDemo* FrmDemo;
