#pragma once
// Physical key names: the UI Events "code" value of a key, from its Linux evdev scan code.

#include <cstdint>
#include <string_view>

namespace orvo_ui {

// The "code" name ("KeyA", "Digit1", "ShiftLeft", "Numpad7"...) of the key with the given
// evdev code (the KEY_ constants of linux/input-event-codes.h), or an empty view for a code
// that has no name here.
std::string_view code_from_evdev(std::uint32_t evdev);

}  // namespace orvo_ui
