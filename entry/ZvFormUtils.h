// Routines a window calls on itself: the function-key bar's layout, the
// key-down handler run again for the real Shift and Ctrl state, and the
// preparation of a newly created window.
#pragma once

#include "Types.h"

#include <QtCore/QString>

#include <functional>

class TComponent;
class TObject;

// Lays the buttons Prefix1..Prefix12 that Panel's form owns out in Panel as
// three groups of four with two equal gaps, centred vertically. The button
// width is (ClientWidth - 8) div 12 with EvenWidth, else the first button's
// width; a gradient button as the first remembers it, so later layouts of
// the bar keep it. Gradient buttons become transparent and take the first
// one's thin bevel; ring buttons are one pixel wider than their step.
// Nothing happens unless Panel is a panel owned by a form that owns
// Prefix1; missing buttons leave their place empty.
void LayoutFnKeyBar(TComponent* Panel, bool EvenWidth, const QString& Prefix);

// Calls Form's OnKeyDown with Key 0 and the Shift and Ctrl keys held now.
void RefireKeyState(TObject* Form);

// Prepares the components Owner owns: untagged (Tag 0) panels, texture
// panels and labels lose their caption and untagged edit boxes are cleared
// and updated; panels and texture panels get their OnResize; labels show
// no accelerators; no windowed control stays a tab stop.
void InitFormControls(TComponent* Owner);

// The texture panel belongs to the display controls, which build on this
// library, so this library cannot name its class: the display controls
// register the test that recognises one (a class check through the
// component, as the platform's "is" test would be).
using TComponentClassTest = std::function<bool(TComponent*)>;
void RegisterTexturePanelTest(TComponentClassTest test);
