#pragma once
// Starting an application: the descriptor it hands over and the launcher that runs it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/app.hpp"
#include "runtime/ui/persist/persistent_document.hpp"

namespace orvo_ui {

struct WindowSize {
    int width = 1280;
    int height = 800;
};

namespace launch {

// Opens the shared document the application works on; empty when the application keeps none.
using DocumentOpener = std::function<persist::Result<std::unique_ptr<persist::PersistentDocument>>(
    const persist::OpenOptions&)>;

struct LaunchDescriptor {
    // A reverse-domain identifier of the application.
    std::string app_id;
    // Reserved lists the framework may read; applications hand them over empty.
    std::array<std::vector<std::string>, 4> reserved_lists;
    // The review scenes a reviewer may choose with --scene.
    std::vector<std::string> scenes;
    // Builds the application without a launch context (no scene handling).
    std::function<std::unique_ptr<app::App>()> build_plain;
    // Builds the application for a launch context.
    std::function<std::unique_ptr<app::App>(const LaunchContext&)> build;
    // Registers the application's actions and operations once it is built.
    std::function<void(app::App&)> register_actions;
    std::function<WindowSize()> default_window_size;
    // Whether the window may be resized by the user.
    std::function<bool()> resizable;
    DocumentOpener open_document;
    // Window flags: decorated, always on top, accepts text input, high-DPI aware.
    std::array<std::uint8_t, 4> flags{1, 0, 1, 1};
};

// Runs the application until its window closes and returns the process exit status. Command
// line: --scene NAME, --size WxH, --screenshot FILE.png (render the first frame offscreen,
// write it, exit 0), --help.
int run_or_exit(const LaunchDescriptor& descriptor, int argc, char** argv);

}  // namespace launch
}  // namespace orvo_ui
