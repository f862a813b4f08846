// Menu items, radio groups, shortcuts through the key pipeline and pop-ups.
#include "FrameworkTestSupport.h"
#include "Menus.h"

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenu>

#include <gtest/gtest.h>

namespace {

TMenuItem* Item(TComponent* owner, const QString& caption) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    return item;
}

TEST(Menus, ItemsFormATreeThatFreesItsChildren) {
    TComponent owner(nullptr);
    auto* root = Item(&owner, QString());
    auto* file = Item(&owner, QStringLiteral("ファイル"));
    auto* open = Item(&owner, QStringLiteral("開く"));
    root->Add(file);
    file->Add(open);
    EXPECT_EQ(open->Parent(), file);
    EXPECT_EQ(file->MenuIndex(), 0);
    EXPECT_THROW(root->Add(open), EInvalidOperation);
    // An item never goes below itself.
    EXPECT_THROW(open->Add(root), EInvalidOperation);
    EXPECT_THROW(root->Add(root), EInvalidOperation);
    EXPECT_EQ(root->Parent(), nullptr);
    EXPECT_EQ(open->Count(), 0);
    EXPECT_THROW(root->Items(3), EListError);
    delete file;
    EXPECT_EQ(root->Count(), 0);
    EXPECT_EQ(owner.ComponentCount(), 1);  // open went with file
}

TEST(Menus, RadioItemsOfOneGroupExcludeEachOther) {
    TComponent owner(nullptr);
    auto* root = Item(&owner, QString());
    auto* a = Item(&owner, QStringLiteral("A"));
    auto* b = Item(&owner, QStringLiteral("B"));
    auto* c = Item(&owner, QStringLiteral("C"));
    for (TMenuItem* i : {a, b, c}) {
        i->SetRadioItem(true);
        root->Add(i);
    }
    c->SetGroupIndex(1);
    a->SetChecked(true);
    c->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked());
}

TEST(Menus, ShortCutsOfAControlsPopupMenuRunBeforeItsKeys) {
    EventLog log;
    TLoggedForm form(log);
    auto* edit = Place(new TLineProbe(&form, log, "edit"), &form, 10, 10, 100, 24);
    auto* menu = new TPopupMenu(&form);
    auto* copy = Item(&form, QStringLiteral("コピー"));
    copy->SetShortCut(ShortCut('C', {ssCtrl}));
    copy->OnClick = [&](TObject*) { log.Add("copy"); };
    menu->Items()->Add(copy);
    edit->SetPopupMenu(menu);
    form.ShowActive();
    edit->SetFocus();
    log.Clear();
    KeyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(log.With("copy").size(), 1u);
    EXPECT_TRUE(log.With("KeyDown:edit:67").empty());
    copy->SetEnabled(false);
    KeyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(log.With("copy").size(), 1u);
    EXPECT_EQ(log.With("KeyDown:edit:67").size(), 1u);
    Word key = 0;
    TShiftState shift;
    ShortCutToKey(copy->ShortCut(), key, shift);
    EXPECT_EQ(key, 'C');
    EXPECT_EQ(shift, TShiftState{ssCtrl});
}

TEST(Menus, PopupShowsAQtMenuAndClicksTheChosenItem) {
    TPopupMenu menu(nullptr);
    auto* first = Item(nullptr, QStringLiteral("売上"));
    auto* second = Item(nullptr, QStringLiteral("返品"));
    menu.Items()->Add(first);
    menu.Items()->Add(second);
    std::vector<std::string> log;
    menu.OnPopup = [&](TObject*) { log.push_back("popup"); };
    second->OnClick = [&](TObject*) { log.push_back("返品"); };
    QStringList captions;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* shown = qobject_cast<QMenu*>(w);
            if (!shown || !shown->isVisible()) continue;
            poll.stop();
            for (QAction* a : shown->actions()) captions << a->text();
            // Chosen as the user does: the item under the highlight, then Enter.
            shown->setActiveAction(shown->actions().constLast());
            QTest::keyClick(shown, Qt::Key_Return);
            return;
        }
    });
    poll.start();
    menu.Popup(100, 100);
    EXPECT_EQ(captions, (QStringList{QStringLiteral("売上"), QStringLiteral("返品")}));
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "返品"}));
}

}  // namespace
