#include "known_hosts/known_hosts.hpp"

#include <algorithm>

namespace remote {

const KnownHostEntry* find_pin(const KnownHosts& hosts, std::string_view host, std::uint16_t port) {
    const auto it = std::find_if(hosts.entries.begin(), hosts.entries.end(),
                                 [&](const auto& e) { return e.host == host && e.port == port; });
    return it == hosts.entries.end() ? nullptr : &*it;
}

HostKeyVerdict check_host_key(const KnownHosts& hosts, std::string_view host, std::uint16_t port,
                              const HostKeyIdentity& observed) {
    const KnownHostEntry* pin = find_pin(hosts, host, port);
    if (pin == nullptr) {
        return {HostKeyVerdict::Unknown{observed}};
    }
    if (pin->identity == observed) {
        return {HostKeyVerdict::Trusted{}};
    }
    return {HostKeyVerdict::Changed{pin->identity, observed}};
}

}  // namespace remote
