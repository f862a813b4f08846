// The folder-tree window on a temporary tree: the program's own file is
// found in its folder, another folder clears the find, the check boxes
// rebuild the tree and the buttons close only when they should.
#include "UnDirectoryView.h"

#include "ComCtrls.h"
#include "DemoTestSupport.h"
#include "DirectoryView.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "TestSupport.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FixedVolumes : public TVolumeSource {
public:
    explicit FixedVolumes(std::vector<TVolume> volumes) : volumes_(std::move(volumes)) {}
    std::vector<TVolume> Volumes() override { return volumes_; }
    std::vector<TVolume> volumes_;
};

class FolderTreeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        KeyStateReset();
        // The program's own file lies in "prog"; "other" holds something else.
        ASSERT_TRUE(QDir(fixed.path()).mkpath("prog/sub"));
        ASSERT_TRUE(QDir(fixed.path()).mkpath("other"));
        Touch(fixed.path() + "/prog/" + ownName);
        Touch(fixed.path() + "/other/readme.txt");
        ASSERT_TRUE(QDir(removable.path()).mkpath("stick"));
        form = std::make_unique<TForm2>(nullptr);
        form->DirectoryView1->SetVolumeSource(std::make_shared<FixedVolumes>(std::vector<TVolume>{
            {fixed.path(), dtDRIVE_FIXED}, {removable.path(), dtDRIVE_REMOVABLE}}));
        form->AfterConstruction();
        ShowActive(form.get());
    }
    void TearDown() override { KeyStateReset(); }

    static void Touch(const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TTreeNodes* Nodes() const { return form->DirectoryView1->Items(); }
    // The node of a folder under the first root, its root opened first.
    TTreeNode* Folder(const QString& name) {
        TTreeNode* root = Nodes()->GetFirstNode();
        root->SetExpanded(true);
        for (TTreeNode* n = root->getFirstChild(); n; n = n->getNextSibling())
            if (n->Text() == name) return n;
        return nullptr;
    }
    Integer Roots() const {
        Integer n = 0;
        for (TTreeNode* r = Nodes()->GetFirstNode(); r; r = r->getNextSibling()) ++n;
        return n;
    }
    void Select(TTreeNode* node) { form->DirectoryView1->SetSelected(node); }
    static bool IsAqua(TSEdit* box) { return box->Color() == clAqua; }

    QTemporaryDir fixed, removable;
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    std::unique_ptr<TForm2> form;
};

TEST_F(FolderTreeWindow, SearchesForTheProgramsOwnFile) {
    EXPECT_EQ(form->Caption(), "DirectoryViewの例");
    EXPECT_EQ(form->EdtName->Text(), ownName);
    EXPECT_EQ(form->DirectoryView1->SearchFile(), ownName);
    EXPECT_EQ(Roots(), 1);
    EXPECT_EQ(form->SBtn1->Caption(), "戻らない");
    ExpectTidyLayout(form.get());
}

TEST_F(FolderTreeWindow, TheProgramsFolderFindsItsFileAnotherClearsIt) {
    TTreeNode* prog = Folder("prog");
    ASSERT_NE(prog, nullptr);
    Select(prog);
    EXPECT_EQ(form->EdtFName->Text(), ownName);
    EXPECT_TRUE(form->EdtPath->Text().contains("prog"));
    EXPECT_TRUE(IsAqua(form->EdtFName));
    EXPECT_TRUE(IsAqua(form->EdtPath));
    EXPECT_EQ(form->SBtn1->Caption(), "戻る");
    EXPECT_EQ(form->SBtn1->Guide(), "Found !!");
    SaveTestImage(GrabForm(form.get()), QStringLiteral("folder_tree_window_found"));

    Select(Folder("other"));
    EXPECT_EQ(form->EdtFName->Text(), "");
    EXPECT_FALSE(IsAqua(form->EdtFName));
    EXPECT_FALSE(IsAqua(form->EdtPath));
    EXPECT_TRUE(form->EdtPath->Text().contains("other")) << "the folder shows without a find";
    EXPECT_EQ(form->SBtn1->Caption(), "戻らない");
    EXPECT_EQ(form->SBtn1->Guide(), "Not Found");
    ClickControl(form->SBtn1);
    EXPECT_TRUE(form->Visible()) << "戻らない does not close";
    ClickControl(form->SBtn2);
    EXPECT_FALSE(form->Visible());
}

TEST_F(FolderTreeWindow, FoundFileButtonCloses) {
    Select(Folder("prog"));
    ClickControl(form->SBtn1);
    EXPECT_FALSE(form->Visible());
}

// Closed on a find and opened again: nothing is found yet, so nothing
// shows as found and the first button does not close.
TEST_F(FolderTreeWindow, OpenedAgainAfterAFindShowsNoFind) {
    Select(Folder("prog"));
    ClickControl(form->SBtn1);
    ASSERT_FALSE(form->Visible());
    ShowActive(form.get());
    EXPECT_EQ(form->EdtFName->Text(), "");
    EXPECT_FALSE(IsAqua(form->EdtFName));
    EXPECT_FALSE(IsAqua(form->EdtPath));
    EXPECT_EQ(form->SBtn1->Caption(), "戻らない");
    EXPECT_EQ(form->SBtn1->Guide(), "Not Found");
    ClickControl(form->SBtn1);
    EXPECT_TRUE(form->Visible());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("folder_tree_window_reopened"));
}

TEST_F(FolderTreeWindow, ANewNameSearchesTheSelectedFolderAgain) {
    Select(Folder("other"));
    form->EdtName->SetFocus();
    for (int i = 0; i < 40; ++i) KeyClick(form.get(), Qt::Key_Backspace);
    KeyClicks(form.get(), QStringLiteral("*.txt"));
    form->DirectoryView1->SetFocus();  // leaving the box accepts the name
    EXPECT_EQ(form->DirectoryView1->SearchFile(), "*.txt");
    Select(Folder("prog"));
    Select(Folder("other"));
    EXPECT_EQ(form->EdtFName->Text(), "readme.txt");
}

TEST_F(FolderTreeWindow, CheckBoxesRebuildTheTree) {
    EXPECT_EQ(Roots(), 1) << "fixed volumes only";
    ClickControl(form->CbxRem);
    ASSERT_TRUE(form->CbxRem->Checked());
    EXPECT_EQ(form->DirectoryView1->DriveType(), (TDriveTypes{dtDRIVE_FIXED, dtDRIVE_REMOVABLE}));
    EXPECT_EQ(Roots(), 2) << "the removable volume joins";
    EXPECT_EQ(form->ActiveControl(), form->DirectoryView1);
    ClickControl(form->CbxRem);
    EXPECT_EQ(form->DirectoryView1->DriveType(), TDriveTypes{dtDRIVE_FIXED});
    EXPECT_EQ(Roots(), 1);
}

// A rebuild takes the found folder away: the tree, focused again, selects
// its first root, and nothing shows as found any more.
TEST_F(FolderTreeWindow, TickingADriveTypeClearsTheFind) {
    for (TCheckBox* box : {form->CbxCD, form->CbxRem, form->CbxNet}) {
        Select(Folder("prog"));
        ASSERT_EQ(form->SBtn1->Guide(), "Found !!");
        ClickControl(box);
        EXPECT_EQ(form->DirectoryView1->Selected(), Nodes()->GetFirstNode());
        EXPECT_EQ(form->EdtPath->Text(), form->DirectoryView1->Directory());
        EXPECT_EQ(form->EdtFName->Text(), "");
        EXPECT_FALSE(IsAqua(form->EdtFName));
        EXPECT_EQ(form->SBtn1->Caption(), "戻らない");
        EXPECT_EQ(form->SBtn1->Guide(), "Not Found");
    }
    SaveTestImage(GrabForm(form.get()), QStringLiteral("folder_tree_window_rebuilt"));
}

TEST_F(FolderTreeWindow, CannotBeResized) {
    const Integer w = form->Width(), h = form->Height();
    form->SetBounds(form->Left(), form->Top(), w + 50, h + 50);
    EXPECT_EQ(form->Width(), w);
    EXPECT_EQ(form->Height(), h);
}

}  // namespace
