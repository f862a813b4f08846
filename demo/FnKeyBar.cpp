#include "FnKeyBar.h"

#include "Controls.h"
#include "Graphics.h"
#include "SBtn.h"
#include "Windows.h"

namespace {

// Characters smaller than this are not worth reading: a caption longer
// still spills over.
constexpr Integer kSmallestFont = 8;

TSBtn* ButtonOf(const TFnButtons& buttons, Word key) {
    return key >= VK_F1 && key <= VK_F12 ? buttons[key - VK_F1] : nullptr;
}

}  // namespace

// The caption is centred between the one-pixel frame's sides; a pixel of
// face stays on each side.
void FitCaptionFont(TSBtn* button, Integer designHeight) {
    const Integer room = button->Width() - 4;
    TCanvas canvas;
    canvas.Font()->Assign(button->Font());
    Integer size = -designHeight;
    for (; size > kSmallestFont; --size) {
        canvas.Font()->SetHeight(-size);
        if (canvas.TextWidth(button->Caption()) <= room) break;
    }
    button->Font()->SetHeight(-size);
}

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
