#pragma once
// Why a server's host key was not accepted, the check that decides it, and the message the
// session fails with.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "known_hosts/host_key_identity.hpp"
#include "sync/latest_cell.hpp"

namespace remote::ssh {

struct HostKeyReview {
    struct Unknown {
        HostKeyIdentity observed;
        bool operator==(const Unknown&) const = default;
    };
    struct Changed {
        HostKeyIdentity expected;  // the pinned identity
        HostKeyIdentity observed;
        bool operator==(const Changed&) const = default;
    };
    struct StoreUnavailable {
        std::string text;
        bool operator==(const StoreUnavailable&) const = default;
    };
    std::variant<Unknown, Changed, StoreUnavailable> value;
    bool operator==(const HostKeyReview&) const = default;
};

using ReviewCell = sync::LatestCell<HostKeyReview>;

// The verdict for a presented identity against the trust file: none when the pin matches.
// Reads the file afresh; never writes it.
std::optional<HostKeyReview> review_host_key(const std::filesystem::path& known_hosts_path,
                                             std::string_view host, std::uint16_t port,
                                             const HostKeyIdentity& observed);

// The session's failure text for a review.
std::string host_key_message(const HostKeyReview& review, std::string_view host,
                             std::uint16_t port);

}  // namespace remote::ssh
