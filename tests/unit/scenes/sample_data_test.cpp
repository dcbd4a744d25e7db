#include "scenes/sample_data.hpp"

#include <gtest/gtest.h>

#include <set>

#include "profile/validation.hpp"

namespace remote {
namespace {

TEST(SampleData, EightProfilesInOrderWithValidTargets) {
    const auto profiles = sample_profiles();
    const std::vector<std::string> names = {"Build Box",       "Studio Node",  "Office NAS",
                                            "Win Workstation", "Edge Gateway", "Pi Cluster Head",
                                            "Workshop Laptop", "Backup Vault"};
    ASSERT_EQ(profiles.size(), names.size());
    std::set<Uuid> ids;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(profiles[i].name, names[i]);
        ids.insert(profiles[i].id);
        // Every sample profile is consistent: its target gives no problem.
        EXPECT_FALSE(target_problem(profiles[i].kind, profiles[i].host, profiles[i].auth))
            << names[i];
    }
    EXPECT_EQ(ids.size(), names.size());
    // Fresh ids on every build.
    EXPECT_NE(sample_profiles()[0].id, profiles[0].id);
    EXPECT_EQ(profiles[1].host, demo_device_endpoint(1));
    EXPECT_EQ(profiles[6].host, demo_device_endpoint(2));
    EXPECT_EQ(profiles[4].port, 2222);
    EXPECT_EQ(profiles[7].presence, Presence::Unknown);
    EXPECT_EQ(profiles[7].last_used, "Never");
}

TEST(SampleData, DevicesCarryTheDemoEndpoints) {
    const auto devices = sample_devices();
    ASSERT_EQ(devices.size(), 4u);
    std::set<std::string> endpoints;
    for (int n = 1; n <= 4; ++n) {
        const auto& d = devices[static_cast<std::size_t>(n - 1)];
        EXPECT_EQ(d.endpoint_id, demo_device_endpoint(n));
        EXPECT_EQ(EndpointId::parse(d.endpoint_id),
                  EndpointId::from_secret_seed(demo_device_seed(n)));
        EXPECT_EQ(d.online, n != 4);
        endpoints.insert(d.endpoint_id);
    }
    EXPECT_EQ(endpoints.size(), 4u);
    EXPECT_EQ(devices[0].name, "Studio Node");
    EXPECT_EQ(devices[3].name, "Garage Pi");
}

}  // namespace
}  // namespace remote
