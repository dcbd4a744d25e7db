#pragma once
// What the SSH worker is started with, copied into it.

#include <cstdint>
#include <filesystem>
#include <string>

#include "ssh/ssh_auth.hpp"

namespace remote::ssh {

inline constexpr std::uint16_t kTerminalColumns = 80;
inline constexpr std::uint16_t kTerminalRows = 24;

struct SshLaunch {
    std::string host;  // used verbatim for name resolution
    std::string user;
    std::filesystem::path known_hosts_path;
    SshAuth auth;
    std::uint16_t port = 22;
    std::uint16_t columns = kTerminalColumns;
    std::uint16_t rows = kTerminalRows;
};

}  // namespace remote::ssh
