#pragma once
// The two font families the interface draws with, made available to Qt.

#include <string_view>

namespace orvo_ui::fonts {

inline constexpr std::string_view kUiFamily = "DejaVu Sans";
inline constexpr std::string_view kMonoFamily = "DejaVu Sans Mono";

// Makes sure both families resolve, registering the font files from the system font folder
// when the platform's font database does not list them (some offscreen setups). Needs a
// QGuiApplication. Returns whether both families are available; safe to call repeatedly.
bool ensure_loaded();

}  // namespace orvo_ui::fonts
