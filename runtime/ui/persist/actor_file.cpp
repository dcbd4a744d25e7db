#include "runtime/ui/persist/actor_file.hpp"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "runtime/ui/files.hpp"

namespace orvo_ui::persist {

std::optional<std::filesystem::path> default_actor_file() {
    auto state = files::state_dir();
    if (!state)
        return std::nullopt;
    return *state / "orvo" / "remote" / "actor";
}

doc::ActorId load_or_create_actor(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (in) {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (auto actor = doc::ActorId::from_hex(text))
            return *actor;
    }
    const doc::ActorId actor = doc::ActorId::random();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    (void)files::atomic_replace(path, actor.to_hex() + "\n", 0600);
    return actor;
}

}  // namespace orvo_ui::persist
