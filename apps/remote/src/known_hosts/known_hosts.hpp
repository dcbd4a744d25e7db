#pragma once
// Pinned SSH host keys per target (host and port), and the check of a presented key against them.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "known_hosts/host_key_identity.hpp"

namespace remote {

struct KnownHostEntry {
    std::string host;  // exactly as the profile names it: no case folding, no resolution
    std::uint16_t port = 0;
    HostKeyIdentity identity;

    bool operator==(const KnownHostEntry&) const = default;
};

// Entries in insertion order.
struct KnownHosts {
    std::vector<KnownHostEntry> entries;

    bool operator==(const KnownHosts&) const = default;
};

struct HostKeyVerdict {
    struct Trusted {
        bool operator==(const Trusted&) const = default;
    };
    struct Unknown {
        HostKeyIdentity observed;
        bool operator==(const Unknown&) const = default;
    };
    struct Changed {
        HostKeyIdentity expected;  // the pinned identity
        HostKeyIdentity observed;
        bool operator==(const Changed&) const = default;
    };

    std::variant<Trusted, Unknown, Changed> value;

    bool operator==(const HostKeyVerdict&) const = default;
};

// The first entry for the target, or null. Later entries for the same target never count.
const KnownHostEntry* find_pin(const KnownHosts& hosts, std::string_view host, std::uint16_t port);

HostKeyVerdict check_host_key(const KnownHosts& hosts, std::string_view host, std::uint16_t port,
                              const HostKeyIdentity& observed);

}  // namespace remote
