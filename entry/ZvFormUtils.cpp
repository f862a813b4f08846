// The form routines.
#include "ZvFormUtils.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "SysUtils.h"

namespace {

constexpr Integer KeysPerGroup = 4;
constexpr Integer Groups = 3;

TComponent* fnKey(TComponent* form, const QString& prefix, Integer number) {
    return form->FindComponent(Format(QStringLiteral("%s%d"), {prefix, number}));
}

bool held(const TKeyboardState& state, std::initializer_list<Word> keys) {
    for (Word k : keys)
        if (state[k] & 0x80) return true;
    return false;
}

// Empties the box with its OnChange detached, then runs its exit handler
// and its update step.
void clearEdit(TCustomEdit* box) {
    const TNotifyEvent onChange = box->OnChange;
    box->OnChange = nullptr;
    box->Clear();
    box->OnChange = onChange;
    if (box->OnExit) box->OnExit(box);
    box->Update();
}

TComponentClassTest& texturePanelTest() {
    static TComponentClassTest test;
    return test;
}

bool isTexturePanel(TComponent* c) {
    const TComponentClassTest& test = texturePanelTest();
    return test && test(c);
}

}  // namespace

void RegisterTexturePanelTest(TComponentClassTest test) {
    texturePanelTest() = std::move(test);
}

void LayoutFnKeyBar(TComponent* Panel, bool EvenWidth, const QString& Prefix) {
    auto* panel = dynamic_cast<TPanel*>(Panel);
    if (!panel || !dynamic_cast<TForm*>(panel->Owner())) return;
    TComponent* form = panel->Owner();
    auto* first = dynamic_cast<TControl*>(fnKey(form, Prefix, 1));
    if (!first) return;
    auto* firstBtn = dynamic_cast<TSBtn*>(first);
    const bool thin = firstBtn && firstBtn->ThinBevel();
    const Integer extra = firstBtn && firstBtn->GradientType() == gtNormal ? 1 : 0;
    Integer w = EvenWidth ? (panel->ClientWidth() - 8) / 12 : first->Width();
    if (firstBtn) {
        if (firstBtn->FnKeyBarWidth() != 0) w = firstBtn->FnKeyBarWidth();
        else firstBtn->SetFnKeyBarWidth(w);
    }
    const Integer gap = (panel->ClientWidth() - Groups * KeysPerGroup * w) / 2;
    const Integer h = first->Height();
    const Integer top = (panel->ClientHeight() - h) / 2;
    Integer x = 0;
    for (Integer g = 0; g < Groups; ++g) {
        for (Integer k = 1; k <= KeysPerGroup; ++k) {
            auto* key = dynamic_cast<TControl*>(fnKey(form, Prefix, KeysPerGroup * g + k));
            if (auto* btn = dynamic_cast<TSBtn*>(key)) {
                btn->SetTransparent(true);
                btn->SetThinBevel(thin);
            }
            if (key) key->SetBounds(x, top, w + extra, h);
            x += w;
        }
        x += gap;
    }
}

void RefireKeyState(TObject* Form) {
    auto* form = dynamic_cast<TForm*>(Form);
    if (!form || !form->OnKeyDown) return;
    TKeyboardState state;
    GetKeyboardState(state);
    TShiftState shift;
    // A held key has its high bit set, whatever its toggle bit says.
    if (held(state, {VK_SHIFT, VK_LSHIFT, VK_RSHIFT})) shift << ssShift;
    if (held(state, {VK_LCONTROL, VK_RCONTROL, VK_CONTROL})) shift << ssCtrl;
    Word key = 0;
    form->OnKeyDown(form, key, shift);
}

void InitFormControls(TComponent* Owner) {
    if (!Owner) return;
    for (Integer i = 0; i < Owner->ComponentCount(); ++i) {
        TComponent* c = Owner->Components(i);
        const bool untagged = c->Tag() == 0;
        if (auto* panel = dynamic_cast<TPanel*>(c)) {
            if (untagged) {
                panel->SetCaption(QString());
                panel->SetParentBackground(false);
            }
            if (panel->OnResize) panel->OnResize(panel);
        } else if (auto* texturePanel = dynamic_cast<TControl*>(c); texturePanel && isTexturePanel(c)) {
            if (untagged) texturePanel->SetCaption(QString());
            if (texturePanel->OnResize) texturePanel->OnResize(texturePanel);
        } else if (auto* label = dynamic_cast<TCustomLabel*>(c)) {
            if (untagged) label->SetCaption(QString());
            label->SetShowAccelChar(false);
        } else if (untagged && (dynamic_cast<TEdit*>(c) || dynamic_cast<TSEdit*>(c))) {
            clearEdit(dynamic_cast<TCustomEdit*>(c));
        }
        if (auto* win = dynamic_cast<TWinControl*>(c)) win->SetTabStop(false);
    }
}
