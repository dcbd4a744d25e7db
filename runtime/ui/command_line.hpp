#pragma once
// The launcher's command line, parsed into plain values.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "runtime/ui/launch.hpp"

namespace orvo_ui::launch {

struct LaunchOptions {
    std::string scene;
    std::optional<WindowSize> size;
    std::string screenshot;  // empty: open a window
    bool help = false;
};

struct CommandLineError {
    std::string message;
};

// Parses the arguments after the program name. A scene must be one of `scenes`.
std::variant<LaunchOptions, CommandLineError> parse_command_line(
    const std::vector<std::string>& args, const std::vector<std::string>& scenes);

std::string usage_text(const std::string& program, const std::vector<std::string>& scenes);

}  // namespace orvo_ui::launch
