// The edit-box window ("Form5"): rows of validated edit and combo boxes in
// host panels, a row of the framework's own boxes for comparison, and
// buttons that change how the boxes lay themselves out and rebuild the
// keyboard navigation among them. Made for each opening and freed after.
#pragma once

#include "Forms.h"

#include <array>
#include <vector>

class TComboBox;
class TEdit;
class TLabel;
class TPanel;
class TSBtn;
class TSComboBox;
class TSEdit;

class TForm5 : public TForm {
public:
    explicit TForm5(TComponent* AOwner);

    TPanel* Panel24;               // the container of the rows
    std::vector<TPanel*> Rows;     // Panel1, Panel5, ... Panel21, Panel25
    std::vector<TSEdit*> Edits;    // SEdit1..
    std::vector<TSComboBox*> Combos;  // SComboBox1..
    TEdit* Edit1;
    TComboBox* ComboBox1;
    TPanel* PnlButtons;
    std::array<TSBtn*, 8> SBtn{};  // SBtn1..SBtn8

    TSEdit* SEdit1() const { return Edits.front(); }

    void FormShow(TObject* Sender);
    void Panel1Resize(TObject* Sender);
    void SBtn1Click(TObject* Sender);

private:
    struct Box;
    void buildForm();
    void buildRow(Integer row, const std::vector<Box>& boxes);
    void buildPlainRow();
    void buildButtons();
    void rebuildNavigation();
    void stepRowHeights(Integer delta);
    void arrangeAll();
    void enableAll();
    void fitRowHeights();
};

// Opens the window modally and frees it afterwards.
void ShowEditBoxWindow();
