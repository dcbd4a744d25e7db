#pragma once
// What the process entry hands the framework's launcher.

#include "platform.hpp"

namespace remote {

inline constexpr const char* kApplicationId = "io.orvo.remote";

orvo_ui::launch::LaunchDescriptor launch_descriptor();

}  // namespace remote
