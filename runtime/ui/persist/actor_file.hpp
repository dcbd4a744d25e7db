#pragma once
// This device's actor id, kept in a small file in the state folder so that the device keeps
// one log across restarts.

#include <filesystem>
#include <optional>

#include "runtime/ui/doc/types.hpp"

namespace orvo_ui::persist {

std::optional<std::filesystem::path> default_actor_file();

// The id stored at `path`; a missing or unreadable file yields a new id, which is stored
// (best effort: when storing fails the id still serves this run).
doc::ActorId load_or_create_actor(const std::filesystem::path& path);

}  // namespace orvo_ui::persist
