// The function-key bar shared by the demonstration windows: F1-F12 click
// the button of the same number and show it pressed while the key is held.
#pragma once

#include "Types.h"

#include <array>
#include <functional>

class TControl;
class TSBtn;

using TFnButtons = std::array<TSBtn*, 12>;

// True while the key is down (key-state tracker).
bool IsKeyHeld(Word key);

// A window's key-down: captions for the keys held, then for F1-F12 a click
// on the key's button and the button shown pressed, consuming the key.
// Nothing is touched after the click when it freed the window.
void FnBarKeyDown(TControl* window, const TFnButtons& buttons, Word& Key,
                  const std::function<void()>& setCaptions, const std::function<void(TSBtn*)>& click);

// Sets the button's font to the largest, up to the height designed, in
// which its caption stands clear of the button's frame.
void FitCaptionFont(TSBtn* button, Integer designHeight);

// A window's key-up: captions, and the key's button released.
void FnBarKeyUp(const TFnButtons& buttons, Word& Key, const std::function<void()>& setCaptions);
