#include "known_hosts/host_key_store.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

#include "known_hosts/known_hosts_json.hpp"
#include "known_hosts/store_location.hpp"
#include "platform.hpp"

namespace remote {
namespace {

namespace fs = std::filesystem;

constexpr mode_t store_file_mode = 0600;

std::string errno_text(int err) {
    return std::error_code(err, std::generic_category()).message();
}

struct FileText {
    bool absent = false;
    std::string bytes;
};

// Reads the whole file. It refuses to follow a symbolic link or block on a special file that
// replaced the validated file in the meantime.
StoreResult<FileText> read_store_file(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return FileText{true, {}};
        }
        return StoreError{errno_text(errno)};
    }
    FileText text;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return StoreError{"SSH host-key store must be a regular file"};
    }
    char buffer[8192];
    while (err == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            err = errno;
        }
    }
    ::close(fd);
    if (err != 0) {
        return StoreError{errno_text(err)};
    }
    return text;
}

}  // namespace

StoreResult<KnownHosts> load_known_hosts(const fs::path& path) {
    if (auto valid = validate_store_file(path); !valid.ok()) {
        return StoreError{valid.error()};
    }
    auto file = read_store_file(path);
    if (!file.ok()) {
        return StoreError{file.error()};
    }
    if (file.value().absent) {
        return KnownHosts{};
    }
    return parse_known_hosts(file.value().bytes);
}

StoreResult<Done> save_known_hosts(const fs::path& path, const KnownHosts& hosts) {
    if (auto valid = validate_store_file(path); !valid.ok()) {
        return valid;
    }
    const auto text = serialize_known_hosts(hosts);
    if (!text.ok()) {
        return StoreError{text.error()};
    }
    const auto written = orvo_ui::files::atomic_replace(path, text.value(), store_file_mode);
    if (!written.ok()) {
        return StoreError{*written.error};
    }
    return validate_store_file(path);
}

StoreResult<Done> trust_host_key(const fs::path& path, std::string_view host, std::uint16_t port,
                                 const HostKeyIdentity& identity) {
    auto hosts = load_known_hosts(path);
    if (!hosts.ok()) {
        return StoreError{hosts.error()};
    }
    if (const KnownHostEntry* pin = find_pin(hosts.value(), host, port)) {
        if (pin->identity == identity) {
            return Done{};
        }
        return StoreError{retrust_refused_text};
    }
    hosts.value().entries.push_back(KnownHostEntry{std::string(host), port, identity});
    return save_known_hosts(path, hosts.value());
}

StoreResult<bool> forget_host_key(const fs::path& path, std::string_view host, std::uint16_t port) {
    auto hosts = load_known_hosts(path);
    if (!hosts.ok()) {
        return StoreError{hosts.error()};
    }
    auto& entries = hosts.value().entries;
    const auto removed = std::erase_if(
        entries, [&](const KnownHostEntry& e) { return e.host == host && e.port == port; });
    if (removed == 0) {
        return false;
    }
    if (auto saved = save_known_hosts(path, hosts.value()); !saved.ok()) {
        return StoreError{saved.error()};
    }
    return true;
}

StoreResult<HostKeyStore> HostKeyStore::open() {
    auto path = known_hosts_path();
    if (!path.ok()) {
        return StoreError{path.error()};
    }
    return HostKeyStore(path.value());
}

}  // namespace remote
