#include "runtime/ui/key_codes.hpp"

#include <array>

namespace orvo_ui {
namespace {

// Indexed by evdev code; empty entries have no name.
constexpr std::array<std::string_view, 128> kCodes = [] {
    std::array<std::string_view, 128> t{};
    t[1] = "Escape";
    t[2] = "Digit1";
    t[3] = "Digit2";
    t[4] = "Digit3";
    t[5] = "Digit4";
    t[6] = "Digit5";
    t[7] = "Digit6";
    t[8] = "Digit7";
    t[9] = "Digit8";
    t[10] = "Digit9";
    t[11] = "Digit0";
    t[12] = "Minus";
    t[13] = "Equal";
    t[14] = "Backspace";
    t[15] = "Tab";
    t[16] = "KeyQ";
    t[17] = "KeyW";
    t[18] = "KeyE";
    t[19] = "KeyR";
    t[20] = "KeyT";
    t[21] = "KeyY";
    t[22] = "KeyU";
    t[23] = "KeyI";
    t[24] = "KeyO";
    t[25] = "KeyP";
    t[26] = "BracketLeft";
    t[27] = "BracketRight";
    t[28] = "Enter";
    t[29] = "ControlLeft";
    t[30] = "KeyA";
    t[31] = "KeyS";
    t[32] = "KeyD";
    t[33] = "KeyF";
    t[34] = "KeyG";
    t[35] = "KeyH";
    t[36] = "KeyJ";
    t[37] = "KeyK";
    t[38] = "KeyL";
    t[39] = "Semicolon";
    t[40] = "Quote";
    t[41] = "Backquote";
    t[42] = "ShiftLeft";
    t[43] = "Backslash";
    t[44] = "KeyZ";
    t[45] = "KeyX";
    t[46] = "KeyC";
    t[47] = "KeyV";
    t[48] = "KeyB";
    t[49] = "KeyN";
    t[50] = "KeyM";
    t[51] = "Comma";
    t[52] = "Period";
    t[53] = "Slash";
    t[54] = "ShiftRight";
    t[55] = "NumpadMultiply";
    t[56] = "AltLeft";
    t[57] = "Space";
    t[58] = "CapsLock";
    t[59] = "F1";
    t[60] = "F2";
    t[61] = "F3";
    t[62] = "F4";
    t[63] = "F5";
    t[64] = "F6";
    t[65] = "F7";
    t[66] = "F8";
    t[67] = "F9";
    t[68] = "F10";
    t[69] = "NumLock";
    t[70] = "ScrollLock";
    t[71] = "Numpad7";
    t[72] = "Numpad8";
    t[73] = "Numpad9";
    t[74] = "NumpadSubtract";
    t[75] = "Numpad4";
    t[76] = "Numpad5";
    t[77] = "Numpad6";
    t[78] = "NumpadAdd";
    t[79] = "Numpad1";
    t[80] = "Numpad2";
    t[81] = "Numpad3";
    t[82] = "Numpad0";
    t[83] = "NumpadDecimal";
    t[86] = "IntlBackslash";
    t[87] = "F11";
    t[88] = "F12";
    t[89] = "IntlRo";
    t[96] = "NumpadEnter";
    t[97] = "ControlRight";
    t[98] = "NumpadDivide";
    t[99] = "PrintScreen";
    t[100] = "AltRight";
    t[102] = "Home";
    t[103] = "ArrowUp";
    t[104] = "PageUp";
    t[105] = "ArrowLeft";
    t[106] = "ArrowRight";
    t[107] = "End";
    t[108] = "ArrowDown";
    t[109] = "PageDown";
    t[110] = "Insert";
    t[111] = "Delete";
    t[117] = "NumpadEqual";
    t[119] = "Pause";
    t[121] = "NumpadComma";
    t[124] = "IntlYen";
    t[125] = "MetaLeft";
    t[126] = "MetaRight";
    t[127] = "ContextMenu";
    return t;
}();

}  // namespace

std::string_view code_from_evdev(std::uint32_t evdev) {
    if (evdev >= kCodes.size()) {
        return {};
    }
    return kCodes[evdev];
}

}  // namespace orvo_ui
