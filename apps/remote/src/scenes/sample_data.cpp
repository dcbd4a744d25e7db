#include "scenes/sample_data.hpp"

#include <cstdlib>

namespace remote {
namespace {

// Fixed demo keys: each seed is a recognisable byte pattern, so the endpoint ids are the same on
// every start and every machine.
std::array<std::uint8_t, 32> make_seed(std::uint8_t tag) {
    std::array<std::uint8_t, 32> seed{};
    for (std::size_t i = 0; i < seed.size(); ++i) {
        seed[i] = static_cast<std::uint8_t>(tag * 31 + i * 7 + 1);
    }
    return seed;
}

const std::array<std::array<std::uint8_t, 32>, 4> kDemoSeeds = {make_seed(1), make_seed(2),
                                                                make_seed(3), make_seed(4)};

ConnectionProfile sample(const char* name, ConnectionKind kind, std::string host,
                         std::uint16_t port, const char* user, AuthMethod auth, Presence presence,
                         bool favorite, const char* last_used, const char* group) {
    ConnectionProfile p;
    p.id = Uuid::random_v4();
    p.name = name;
    p.kind = kind;
    p.host = std::move(host);
    p.port = port;
    p.user = user;
    p.auth = auth;
    p.presence = presence;
    p.favorite = favorite;
    p.last_used = last_used;
    p.group = group;
    return p;
}

// Inserts by id: replaces an entry with the same id, otherwise appends.
void upsert(std::vector<ConnectionProfile>& list, ConnectionProfile profile) {
    for (auto& existing : list) {
        if (existing.id == profile.id) {
            existing = std::move(profile);
            return;
        }
    }
    list.push_back(std::move(profile));
}

}  // namespace

const std::array<std::uint8_t, 32>& demo_device_seed(int n) {
    if (n < 1 || n > 4) {
        std::abort();
    }
    return kDemoSeeds[static_cast<std::size_t>(n - 1)];
}

std::string demo_device_endpoint(int n) {
    return EndpointId::from_secret_seed(demo_device_seed(n)).to_string();
}

std::vector<ConnectionProfile> sample_profiles() {
    using K = ConnectionKind;
    using A = AuthMethod;
    using P = Presence;
    std::vector<ConnectionProfile> list;
    upsert(list, sample("Build Box", K::Ssh, "build.lab.internal", 22, "admin", A::PublicKey,
                        P::Online, true, "12m ago", "lab"));
    upsert(list, sample("Studio Node", K::Orvo, demo_device_endpoint(1), 0, "", A::DeviceIdentity,
                        P::Online, true, "just now", "Orvo"));
    upsert(list, sample("Office NAS", K::Vnc, "10.0.0.20", 5900, "media", A::Password, P::Online,
                        false, "2h ago", "home"));
    upsert(list, sample("Win Workstation", K::Rdp, "10.0.0.31", 3389, "maria", A::Password,
                        P::Offline, false, "yesterday", "work"));
    upsert(list, sample("Edge Gateway", K::Ssh, "gateway.edge.example", 2222, "root", A::PublicKey,
                        P::Online, false, "3d ago", "prod"));
    upsert(list, sample("Pi Cluster Head", K::Ssh, "192.168.4.2", 22, "pi", A::Password, P::Offline,
                        false, "1w ago", "lab"));
    upsert(list, sample("Workshop Laptop", K::Orvo, demo_device_endpoint(2), 0, "",
                        A::DeviceIdentity, P::Online, false, "5h ago", "Orvo"));
    upsert(list, sample("Backup Vault", K::Vnc, "vault.backup.example", 5901, "ops", A::Password,
                        P::Unknown, false, "Never", "prod"));
    return list;
}

std::vector<DeviceEntry> sample_devices() {
    return {
        {"Studio Node", demo_device_endpoint(1), true},
        {"Workshop Laptop", demo_device_endpoint(2), true},
        {"Living Room TV", demo_device_endpoint(3), true},
        {"Garage Pi", demo_device_endpoint(4), false},
    };
}

}  // namespace remote
