// Masked edit boxes: the mask language, and typing into a box with real keys.
#include "FrameworkTestSupport.h"
#include "Mask.h"

#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

TEST(EditMask, TranslatesToQtsMaskLanguage) {
    // The platform's 9 is an optional digit and 0 a required one: Qt's are the other way round.
    EXPECT_EQ(TEditMask("9999").QtInputMask(), "0000;_");
    EXPECT_EQ(TEditMask("!99/99/00;1;_").QtInputMask(), "00/00/99;_");
    EXPECT_EQ(TEditMask(">LL<l-Aa-Cc#;0;*").QtInputMask(), ">AA<a-Nn-Xx#;*");
    EXPECT_EQ(TEditMask("<>L").QtInputMask(), "!A;_");
    // Literals that are codes in Qt's language keep their meaning as literals.
    EXPECT_EQ(TEditMask("\\0D_H9").QtInputMask(), "\\0\\D \\H0;_");
    EXPECT_EQ(TEditMask("").QtInputMask(), QString());
    EXPECT_TRUE(TEditMask(";1;_").IsEmpty());

    const TEditMask date("99/99;0; ");
    EXPECT_FALSE(date.saveLiterals);
    EXPECT_EQ(date.blank, u' ');
    EXPECT_EQ(date.TextOf("12/3 "), "123 ");
    EXPECT_EQ(TEditMask("9999").TextOf("12__"), "12  ");
}

class MaskEditTest : public LoggedFormTest {
protected:
    TMaskEdit* Box(const QString& mask) {
        auto* e = Place(new TMaskEdit(form.get()), form.get(), 10, 10, 120, 24);
        e->SetEditMask(mask);
        e->OnChange = [this](TObject*) { log.Add("Change"); };
        return e;
    }
};

TEST_F(MaskEditTest, OptionalDigitsTakeDigitsOnlyUpToTheMasksLength) {
    TMaskEdit* e = Box("9999");
    ShowWithFocus(e);
    KeyClicks(form.get(), "1a2");
    EXPECT_EQ(e->EditText(), "12__");
    EXPECT_EQ(e->Text(), "12  ");
    EXPECT_TRUE(e->Modified());
    EXPECT_EQ(log.With("Change").size(), 2u);
    KeyClicks(form.get(), "3456");
    EXPECT_EQ(e->EditText(), "1234");
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(e->Text(), "123 ");
    EXPECT_EQ(StrToInt(Trim(e->Text())), 123);
}

TEST_F(MaskEditTest, LiteralsAreSkippedAndSavedAsTheMaskSays) {
    TMaskEdit* e = Box("!99/99/00;1;_");
    TMaskEdit* bare = Box("99/99/00;0;_");
    bare->SetTop(40);
    ShowWithFocus(e);
    KeyClicks(form.get(), "240315");
    EXPECT_EQ(e->EditText(), "24/03/15");
    EXPECT_EQ(e->Text(), "24/03/15");
    bare->SetFocus();
    KeyClicks(form.get(), "2403");
    EXPECT_EQ(bare->EditText(), "24/03/__");
    EXPECT_EQ(bare->Text(), "2403  ");
}

TEST_F(MaskEditTest, CaseSwitchesAndProgramText) {
    TMaskEdit* e = Box(">LL-000");
    ShowWithFocus(e);
    KeyClicks(form.get(), "ab1x23");
    EXPECT_EQ(e->EditText(), "AB-123");
    // Text set by the program fills the positions from the start.
    e->SetText("x");
    EXPECT_EQ(e->EditText(), "X_-___");
    EXPECT_FALSE(e->Modified());
    // Without a mask the box is a plain edit box.
    e->SetEditMask("");
    EXPECT_FALSE(e->IsMasked());
    e->SetText("free text");
    EXPECT_EQ(e->Text(), "free text");
    EXPECT_EQ(e->EditText(), "free text");
}

}  // namespace
