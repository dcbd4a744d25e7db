#pragma once
// The bytes a key press sends to a terminal session.

#include <string>

#include "platform.hpp"

namespace remote {

// The bytes for one key event; empty when the key sends nothing (including key releases).
std::string encode_key(const orvo_ui::KeyEvent& event);

}  // namespace remote
