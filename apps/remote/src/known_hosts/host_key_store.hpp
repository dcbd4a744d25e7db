#pragma once
// Reading and changing the trust file. Every operation reads the file afresh and writes any
// change before it returns; the file is replaced atomically, so a concurrent reader sees the old
// or the new content and a failed save leaves the old one.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "known_hosts/host_key_identity.hpp"
#include "known_hosts/known_hosts.hpp"
#include "known_hosts/store_result.hpp"

namespace remote {

inline constexpr const char* retrust_refused_text =
    "a different trusted host key already exists; forget it before retrusting";

// An absent file is an empty store.
StoreResult<KnownHosts> load_known_hosts(const std::filesystem::path& path);

// Written with mode 0600.
StoreResult<Done> save_known_hosts(const std::filesystem::path& path, const KnownHosts& hosts);

// Pins the identity for the target. Trusting the pinned identity again writes nothing; a different
// pinned identity is never replaced.
StoreResult<Done> trust_host_key(const std::filesystem::path& path, std::string_view host,
                                 std::uint16_t port, const HostKeyIdentity& identity);

// Removes every pin of the target; true when there was one. Without a pin nothing is written.
StoreResult<bool> forget_host_key(const std::filesystem::path& path, std::string_view host,
                                  std::uint16_t port);

// The trust store at a resolved location.
class HostKeyStore {
  public:
    // At the location known_hosts_path resolves.
    static StoreResult<HostKeyStore> open();

    explicit HostKeyStore(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }
    StoreResult<KnownHosts> load() const { return load_known_hosts(path_); }
    StoreResult<Done> trust(std::string_view host, std::uint16_t port,
                            const HostKeyIdentity& identity) const {
        return trust_host_key(path_, host, port, identity);
    }
    StoreResult<bool> forget(std::string_view host, std::uint16_t port) const {
        return forget_host_key(path_, host, port);
    }

  private:
    std::filesystem::path path_;
};

}  // namespace remote
