#pragma once
// The sample machines and devices used for demonstration and visual review.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profile/endpoint_id.hpp"
#include "profile/profile.hpp"

namespace remote {

// An Orvo device the form's picker offers.
struct DeviceEntry {
    std::string name;
    std::string endpoint_id;
    bool online = false;

    bool operator==(const DeviceEntry&) const = default;
};

// The fixed Ed25519 secret key (seed) of demo device n (1 to 4).
const std::array<std::uint8_t, 32>& demo_device_seed(int n);
// The endpoint id text of demo device n: the public key of its secret key.
std::string demo_device_endpoint(int n);

// Eight sample profiles with fresh random ids, in their fixed order.
std::vector<ConnectionProfile> sample_profiles();
// The four sample devices.
std::vector<DeviceEntry> sample_devices();

inline constexpr const char* kDemoHostKeyAlgorithm = "ssh-ed25519";
inline constexpr const char* kDemoHostKeyFingerprint = "SHA256:DemoFingerprintForVisualReviewOnly";

}  // namespace remote
