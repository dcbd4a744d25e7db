#include "ssh/host_key_review.hpp"

#include "known_hosts/host_key_store.hpp"
#include "known_hosts/known_hosts.hpp"

namespace remote::ssh {
namespace {

std::string identity_text(const HostKeyIdentity& identity) {
    return identity.algorithm + " " + identity.fingerprint;
}

std::string target_text(std::string_view host, std::uint16_t port) {
    return std::string(host) + ":" + std::to_string(port);
}

}  // namespace

std::optional<HostKeyReview> review_host_key(const std::filesystem::path& known_hosts_path,
                                             std::string_view host, std::uint16_t port,
                                             const HostKeyIdentity& observed) {
    const auto store = load_known_hosts(known_hosts_path);
    if (!store.ok()) {
        return HostKeyReview{HostKeyReview::StoreUnavailable{store.error()}};
    }
    const HostKeyVerdict verdict = check_host_key(store.value(), host, port, observed);
    if (const auto* changed = std::get_if<HostKeyVerdict::Changed>(&verdict.value)) {
        return HostKeyReview{HostKeyReview::Changed{changed->expected, changed->observed}};
    }
    if (std::holds_alternative<HostKeyVerdict::Unknown>(verdict.value)) {
        return HostKeyReview{HostKeyReview::Unknown{observed}};
    }
    return std::nullopt;
}

std::string host_key_message(const HostKeyReview& review, std::string_view host,
                             std::uint16_t port) {
    if (const auto* unknown = std::get_if<HostKeyReview::Unknown>(&review.value)) {
        return "SSH host key for " + target_text(host, port) +
               " needs explicit trust: " + identity_text(unknown->observed);
    }
    if (const auto* changed = std::get_if<HostKeyReview::Changed>(&review.value)) {
        return "SSH host key changed for " + target_text(host, port) + ". Expected " +
               identity_text(changed->expected) + "; received " + identity_text(changed->observed) +
               ". Connection blocked.";
    }
    return "SSH host-key store is unavailable: " +
           std::get<HostKeyReview::StoreUnavailable>(review.value).text;
}

}  // namespace remote::ssh
