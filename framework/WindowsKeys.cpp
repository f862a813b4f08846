// The key state of Windows.h: an application-wide table of held keys that
// the key pipeline and the native event filter (ControlsKeys.cpp) keep.
#include "Windows.h"

#include <array>
#include <cstring>

namespace {

constexpr Byte Held = 0x80;
constexpr Byte Toggled = 0x01;

std::array<Byte, 256>& Table() {
    static std::array<Byte, 256> table{};
    return table;
}

// The generic modifier reads held while either side is.
void UpdateGeneric(Word generic, Word left, Word right) {
    auto& t = Table();
    const bool held = (t[left] & Held) || (t[right] & Held);
    t[generic] = Byte((t[generic] & Toggled) | (held ? Held : 0));
}

}  // namespace

bool GetKeyboardState(TKeyboardState& state) {
    std::memcpy(state, Table().data(), 256);
    return true;
}

SmallInt GetKeyState(Integer vk) {
    if (vk < 0 || vk > 255) return 0;
    const Byte b = Table()[size_t(vk)];
    // Held keys read negative (high bit of the 16-bit answer); bit 0 toggles.
    return SmallInt(((b & Held) ? 0xFF80 : 0) | (b & Toggled));
}

void KeyStateSetDown(Word vk, bool down) {
    if (vk == 0 || vk > 255) return;
    auto& t = Table();
    Byte& b = t[vk];
    if (down && !(b & Held)) b ^= Toggled;  // toggles once per press, not per repeat
    b = Byte(down ? (b | Held) : (b & ~Held));
    switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: UpdateGeneric(VK_SHIFT, VK_LSHIFT, VK_RSHIFT); break;
    case VK_LCONTROL: case VK_RCONTROL: UpdateGeneric(VK_CONTROL, VK_LCONTROL, VK_RCONTROL); break;
    case VK_LMENU: case VK_RMENU: UpdateGeneric(VK_MENU, VK_LMENU, VK_RMENU); break;
    default: break;
    }
}

void KeyStateReset() {
    Table().fill(0);
}
