#include "runtime/ui/command_line.hpp"

#include <algorithm>
#include <charconv>

namespace orvo_ui::launch {
namespace {

std::optional<int> parse_dimension(std::string_view text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > 16384) {
        return std::nullopt;
    }
    return value;
}

std::optional<WindowSize> parse_size(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = parse_dimension(text.substr(0, x));
    const auto height = parse_dimension(text.substr(x + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return WindowSize{*width, *height};
}

std::string scene_list(const std::vector<std::string>& scenes) {
    std::string list;
    for (const auto& s : scenes) {
        list += list.empty() ? s : ", " + s;
    }
    return list;
}

}  // namespace

std::variant<LaunchOptions, CommandLineError> parse_command_line(
    const std::vector<std::string>& args, const std::vector<std::string>& scenes) {
    LaunchOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg != "--scene" && arg != "--size" && arg != "--screenshot") {
            return CommandLineError{"unknown argument '" + arg + "'"};
        }
        if (i + 1 >= args.size()) {
            return CommandLineError{arg + " needs a value"};
        }
        const std::string& value = args[++i];
        if (arg == "--scene") {
            if (std::find(scenes.begin(), scenes.end(), value) == scenes.end()) {
                return CommandLineError{"unknown scene '" + value +
                                        "'; scenes: " + scene_list(scenes)};
            }
            options.scene = value;
        } else if (arg == "--size") {
            options.size = parse_size(value);
            if (!options.size) {
                return CommandLineError{"--size wants WIDTHxHEIGHT, for example 1280x800"};
            }
        } else {
            if (value.empty()) {
                return CommandLineError{"--screenshot needs a file name"};
            }
            options.screenshot = value;
        }
    }
    return options;
}

std::string usage_text(const std::string& program, const std::vector<std::string>& scenes) {
    return "usage: " + program +
           " [--scene NAME] [--size WxH] [--screenshot FILE.png] [--help]\n"
           "  --scene NAME          start in a review scene: " +
           scene_list(scenes) +
           "\n"
           "  --size WxH            window size in logical pixels (default from the app)\n"
           "  --screenshot FILE     render the first frame offscreen to a PNG and exit\n"
           "  --help                show this text\n";
}

}  // namespace orvo_ui::launch
