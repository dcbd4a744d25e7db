#include "known_hosts/store_location.hpp"

#include <cstdlib>
#include <system_error>

#include "platform.hpp"

namespace remote {
namespace {

namespace fs = std::filesystem;

bool shared_with_others(fs::perms perms) {
    return (perms & (fs::perms::group_all | fs::perms::others_all)) != fs::perms::none;
}

}  // namespace

StoreResult<Done> validate_store_directory(const fs::path& dir) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(dir, ec);
    if (ec) {
        return StoreError{ec.message()};
    }
    if (status.type() != fs::file_type::directory) {
        return StoreError{"SSH host-key store parent must be a real directory"};
    }
    if (shared_with_others(status.permissions())) {
        return StoreError{
            "SSH host-key store parent must not be accessible to group or other users"};
    }
    return Done{};
}

StoreResult<Done> validate_store_file(const fs::path& path) {
    const fs::path parent = path.parent_path();
    if (parent.empty()) {
        return StoreError{"SSH host-key store has no private parent directory"};
    }
    if (auto dir = validate_store_directory(parent); !dir.ok()) {
        return dir;
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return Done{};  // the first save creates it
    }
    if (ec) {
        return StoreError{ec.message()};
    }
    if (status.type() != fs::file_type::regular) {
        return StoreError{"SSH host-key store must be a regular file"};
    }
    if (shared_with_others(status.permissions())) {
        return StoreError{"SSH host-key store must not be accessible to group or other users"};
    }
    return Done{};
}

StoreResult<fs::path> known_hosts_path() {
    if (const char* override_path = std::getenv(known_hosts_override_variable)) {
        fs::path path(override_path);
        if (auto valid = validate_store_file(path); !valid.ok()) {
            return StoreError{valid.error()};
        }
        return path;
    }
    const auto state = orvo_ui::files::state_dir();
    if (!state) {
        return StoreError{"no private state directory is available for SSH host trust"};
    }
    const fs::path dir = *state / "orvo" / "remote";
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(dir, ec);
    if (status.type() == fs::file_type::not_found) {
        fs::create_directories(dir, ec);
        if (!ec) {
            fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, ec);
        }
        if (ec) {
            return StoreError{ec.message()};
        }
    } else if (ec) {
        return StoreError{ec.message()};
    }
    if (auto valid = validate_store_directory(dir); !valid.ok()) {
        return StoreError{valid.error()};
    }
    fs::path path = dir / "known-hosts.json";
    if (auto valid = validate_store_file(path); !valid.ok()) {
        return StoreError{valid.error()};
    }
    return path;
}

}  // namespace remote
