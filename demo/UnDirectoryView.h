// The folder-tree window ("DirectoryViewの例"): the folder tree searching
// the selected folder for a file name, the program's own at first. When
// the file is found, the folder and name show in aqua boxes and the first
// button turns into a close button.
#pragma once

#include "Forms.h"

class TCheckBox;
class TDirectoryView;
class TLabel;
class TSBtn;
class TSEdit;
class TTreeNode;

class TForm2 : public TForm {
public:
    explicit TForm2(TComponent* AOwner);

    TDirectoryView* DirectoryView1;
    TCheckBox* CbxCD;
    TCheckBox* CbxRem;
    TCheckBox* CbxNet;
    TSEdit* EdtName;
    TSEdit* EdtFName;
    TSEdit* EdtPath;
    TSBtn* SBtn1;
    TSBtn* SBtn2;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void DirectoryView1Changing(TObject* Sender, TTreeNode* Node, bool& AllowChange);
    void DirectoryView1Change(TObject* Sender, TTreeNode* Node);
    void DirectoryView1Find(TObject* Sender, const QString& Directory, const QString& FileName);
    void SBtn1Click(TObject* Sender);
    void EdtNameModifyEx(TObject* Sender, bool& Accept);
    void CbxCDClick(TObject* Sender);

private:
    void buildForm();
    TLabel* caption(const QString& name, const QString& text, const TRect& bounds);
    TCheckBox* checkBox(const QString& name, const QString& text, const TRect& bounds);
    void selectDrives();
    void clearFind();
};

extern TForm2* Form2;
