#include "profile/validation.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "profile/endpoint_id.hpp"

namespace remote {
namespace {

// A valid endpoint id: the public key of a fixed seed.
std::string valid_endpoint() {
    std::array<std::uint8_t, 32> seed{};
    seed.fill(7);
    return EndpointId::from_secret_seed(seed).to_string();
}

FormState form(std::string name, std::string host, std::string port, ConnectionKind kind,
               AuthMethod auth, std::string user = "") {
    FormState f;
    f.name = std::move(name);
    f.host = std::move(host);
    f.port = std::move(port);
    f.kind = kind;
    f.auth = auth;
    f.user = std::move(user);
    return f;
}

using Kind = ConnectionKind;
using Auth = AuthMethod;

struct FormCase {
    const char* label;
    FormState input;
    std::vector<std::string> problems;
};

TEST(ValidateForm, CollectsEveryProblemInOrder) {
    const std::string endpoint = valid_endpoint();
    std::string upper = endpoint;
    for (char& ch : upper)
        ch = static_cast<char>(std::toupper(ch));
    const std::vector<FormCase> cases = {
        {"empty name and host",
         form("", "", "22", Kind::Ssh, Auth::Password),
         {"Name is required", "Host is required"}},
        {"blank name is empty",
         form(" \t\u00a0", "h", "22", Kind::Ssh, Auth::Password),
         {"Name is required"}},
        {"orvo with empty host",
         form("Dev", "", "", Kind::Orvo, Auth::DeviceIdentity),
         {"Host is required"}},
        {"orvo with spaces around a valid id",
         form("Dev", "  " + endpoint + "\u3000", "", Kind::Orvo, Auth::DeviceIdentity),
         {}},
        {"orvo id in upper case", form("Dev", upper, "", Kind::Orvo, Auth::DeviceIdentity), {}},
        {"orvo with password gives only the auth message",
         form("Dev", "not-an-id", "", Kind::Orvo, Auth::Password),
         {"Orvo device profiles must use Orvo device identity."}},
        {"orvo with a host that is no endpoint",
         form("Dev", "studio.local", "", Kind::Orvo, Auth::DeviceIdentity),
         {"Orvo device node must be an exact certified endpoint id."}},
        {"orvo with 64 hex digits that are no curve point",
         form("Dev", std::string(64, 'f'), "", Kind::Orvo, Auth::DeviceIdentity),
         {"Orvo device node must be an exact certified endpoint id."}},
        {"ssh with device identity",
         form("A", "h", "22", Kind::Ssh, Auth::DeviceIdentity),
         {"SSH profiles support password or public-key authentication."}},
        {"vnc with public key",
         form("A", "h", "5900", Kind::Vnc, Auth::PublicKey),
         {"VNC profiles support password authentication only."}},
        {"rdp with public key",
         form("A", "h", "3389", Kind::Rdp, Auth::PublicKey),
         {"RDP profiles support password authentication only."}},
        {"everything wrong",
         form("", "", "0", Kind::Vnc, Auth::DeviceIdentity),
         {"Name is required", "Host is required", "Port must be 1–65535",
          "VNC profiles support password authentication only."}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(validate_form(c.input), c.problems) << c.label;
    }
}

TEST(ValidateForm, PortTexts) {
    struct Case {
        const char* port;
        bool valid;
    };
    const Case cases[] = {
        {"22", true},
        {" 22 ", true},
        {"+22", true},
        {"65535", true},
        {"022", true},
        {"00000000001", true},
        {"1", true},
        {"0", false},
        {"65536", false},
        {"", false},
        {"-1", false},
        {"+", false},
        {"++22", false},
        {"2 2", false},
        {"22a", false},
        {"٢٢", false},  // Arabic-Indic digits are not ASCII digits
        {"99999999999999999999", false},
    };
    for (const auto& c : cases) {
        const auto problems = validate_form(form("A", "h", c.port, Kind::Ssh, Auth::Password));
        const bool has_port_problem =
            std::find(problems.begin(), problems.end(), "Port must be 1–65535") != problems.end();
        EXPECT_EQ(!has_port_problem, c.valid) << "port text '" << c.port << "'";
    }
}

TEST(ValidateForm, AnyPortTextPassesForOrvoAndSavesZero) {
    const std::string endpoint = valid_endpoint();
    for (const char* port : {"", "0", "-1", "abc", "70000"}) {
        const auto f = form("Dev", endpoint, port, Kind::Orvo, Auth::DeviceIdentity);
        EXPECT_TRUE(validate_form(f).empty()) << port;
        EXPECT_EQ(profile_from_form(f, Uuid::random_v4()).port, 0) << port;
    }
}

TEST(ProfileFromForm, TrimsAndDropsUserWhereTheKindKeepsNone) {
    struct Case {
        Kind kind;
        Auth auth;
        const char* port;
        std::uint16_t saved_port;
        const char* saved_user;
    };
    const Case cases[] = {
        {Kind::Ssh, Auth::PublicKey, " +2222 ", 2222, "alice"},
        {Kind::Rdp, Auth::Password, "3389", 3389, "alice"},
        {Kind::Vnc, Auth::Password, "5901", 5901, ""},
        {Kind::Ssh, Auth::Password, "not a port", 22, "alice"},
        {Kind::Vnc, Auth::Password, "", 5900, ""},
    };
    const Uuid id = Uuid::random_v4();
    for (const auto& c : cases) {
        FormState f = form("  Box\n", " host.example ", c.port, c.kind, c.auth, " alice ");
        f.group = "\tlab ";
        const ConnectionProfile p = profile_from_form(f, id);
        EXPECT_EQ(p.id, id);
        EXPECT_EQ(p.name, "Box");
        EXPECT_EQ(p.host, "host.example");
        EXPECT_EQ(p.group, "lab");
        EXPECT_EQ(p.port, c.saved_port) << kind_label(c.kind);
        EXPECT_EQ(p.user, c.saved_user) << kind_label(c.kind);
        EXPECT_EQ(p.kind, c.kind);
        EXPECT_EQ(p.auth, c.auth);
        EXPECT_FALSE(p.favorite);
        EXPECT_EQ(p.last_used, "Never");
        EXPECT_EQ(p.presence, Presence::Unknown);
    }
}

class Environment : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("REMOTE_LIVE_SESSIONS");
        if (old)
            saved_ = old;
        unsetenv("REMOTE_LIVE_SESSIONS");
    }
    void TearDown() override {
        if (saved_) {
            setenv("REMOTE_LIVE_SESSIONS", saved_->c_str(), 1);
        } else {
            unsetenv("REMOTE_LIVE_SESSIONS");
        }
    }
    std::optional<std::string> saved_;
};

ConnectionProfile profile(Kind kind, Auth auth, std::string host = "h") {
    ConnectionProfile p;
    p.kind = kind;
    p.auth = auth;
    p.host = std::move(host);
    return p;
}

TEST_F(Environment, AvailabilityFollowsTheEnvironmentAndTheTarget) {
    const std::string endpoint = valid_endpoint();
    struct Case {
        const char* env;  // nullptr: unset
        ConnectionProfile profile;
        TransportAvailability expected;
    };
    using TA = TransportAvailability;
    const std::vector<Case> cases = {
        {nullptr, profile(Kind::Ssh, Auth::Password), TA::CapabilityRequired},
        {nullptr, profile(Kind::Vnc, Auth::Password), TA::CapabilityRequired},
        {nullptr, profile(Kind::Ssh, Auth::DeviceIdentity), TA::CapabilityRequired},
        {"", profile(Kind::Ssh, Auth::Password), TA::Ready},
        {"", profile(Kind::Vnc, Auth::Password), TA::Ready},
        {"yes", profile(Kind::Ssh, Auth::DeviceIdentity), TA::InvalidProfile},
        {"\xff\xfe", profile(Kind::Ssh, Auth::Password), TA::CapabilityRequired},
        {nullptr, profile(Kind::Rdp, Auth::Password), TA::BackendUnavailable},
        {"1", profile(Kind::Rdp, Auth::PublicKey), TA::BackendUnavailable},
        {nullptr, profile(Kind::Orvo, Auth::DeviceIdentity, endpoint), TA::Ready},
        {nullptr, profile(Kind::Orvo, Auth::DeviceIdentity, "nope"), TA::InvalidProfile},
        {nullptr, profile(Kind::Orvo, Auth::Password, endpoint), TA::InvalidProfile},
    };
    for (const auto& c : cases) {
        if (c.env) {
            setenv("REMOTE_LIVE_SESSIONS", c.env, 1);
        } else {
            unsetenv("REMOTE_LIVE_SESSIONS");
        }
        EXPECT_EQ(transport_availability(c.profile), c.expected)
            << kind_label(c.profile.kind) << " env=" << (c.env ? c.env : "(unset)");
    }
}

TEST(Availability, TextsAndCodes) {
    using TA = TransportAvailability;
    EXPECT_EQ(availability_text(TA::Ready, Kind::Rdp), "This transport is ready to connect.");
    EXPECT_EQ(availability_text(TA::CapabilityRequired, Kind::Ssh),
              "SSH is installed, but this build has not been granted live network access.");
    EXPECT_EQ(availability_text(TA::CapabilityRequired, Kind::Vnc),
              "VNC is installed, but this build has not been granted live network access.");
    for (Kind k : {Kind::Rdp, Kind::Orvo}) {
        EXPECT_EQ(availability_text(TA::CapabilityRequired, k),
                  "This transport needs a capability before it can connect.");
    }
    EXPECT_EQ(availability_text(TA::BackendUnavailable, Kind::Ssh),
              "RDP profiles are preserved, but this Orvo build has no RDP client backend.");
    EXPECT_EQ(availability_text(TA::InvalidProfile, Kind::Vnc),
              "This saved connection has incompatible target or authentication settings.");
    EXPECT_EQ(availability_code(TA::Ready), "");
    EXPECT_EQ(availability_code(TA::CapabilityRequired), "live_session_capability_required");
    EXPECT_EQ(availability_code(TA::BackendUnavailable), "transport_backend_unavailable");
    EXPECT_EQ(availability_code(TA::InvalidProfile), "invalid_connection_profile");
}

}  // namespace
}  // namespace remote
