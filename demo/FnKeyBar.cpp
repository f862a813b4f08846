#include "FnKeyBar.h"

#include "Controls.h"
#include "SBtn.h"
#include "Windows.h"

namespace {

TSBtn* ButtonOf(const TFnButtons& buttons, Word key) {
    return key >= VK_F1 && key <= VK_F12 ? buttons[key - VK_F1] : nullptr;
}

}  // namespace

bool IsKeyHeld(Word key) {
    TKeyboardState state{};
    GetKeyboardState(state);
    return key < 256 && (state[key] & 0x80) != 0;
}

void FnBarKeyDown(TControl* window, const TFnButtons& buttons, Word& Key,
                  const std::function<void()>& setCaptions, const std::function<void(TSBtn*)>& click) {
    const auto guard = window->Guard();
    setCaptions();
    TSBtn* button = ButtonOf(buttons, Key);
    if (button) click(button);
    if (guard.expired()) return;
    // A modal window may have taken the key's release: then the key is
    // neither consumed nor shown pressed.
    if (Key == 0 || !IsKeyHeld(Key)) return;
    setCaptions();
    if (!button) return;
    button->SetGroupIndex(1);
    button->SetDown(true);
    Key = 0;
}

void FnBarKeyUp(const TFnButtons& buttons, Word& Key, const std::function<void()>& setCaptions) {
    setCaptions();
    TSBtn* button = ButtonOf(buttons, Key);
    if (!button) return;
    button->SetGroupIndex(0);
    button->SetDown(false);
    Key = 0;
}
