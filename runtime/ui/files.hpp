#pragma once
// File services: where private per-device state lives, and crash-safe replacement of a file.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvo_ui::files {

// The outcome of a file operation: success, or a one-line text naming what failed and why.
struct [[nodiscard]] FileStatus {
    std::optional<std::string> error;

    bool ok() const { return !error.has_value(); }
};

// The user's XDG state directory: $XDG_STATE_HOME when it is an absolute path, else
// $HOME/.local/state when HOME is an absolute path, else none.
std::optional<std::filesystem::path> state_dir();

// Replaces the file at `path` with `bytes`, readable and writable as `mode` allows (permission
// bits only). A reader sees either the complete old file or the complete new one, and after a
// crash the file holds one of them. On failure the old file is left untouched and no temporary
// file remains.
FileStatus atomic_replace(const std::filesystem::path& path, std::string_view bytes, mode_t mode);

}  // namespace orvo_ui::files
