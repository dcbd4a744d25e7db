#pragma once
// The session-manager fields of an application, held by a test.

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "session/session_manager.hpp"

namespace remote::testing {

struct SessionHarness {
    std::optional<LiveSession> session;
    std::optional<Uuid> session_target;
    std::uint64_t session_generation = 0;
    std::uint64_t next_session_serial = 1;
    std::optional<orvo_ui::Image> remote_frame;
    std::deque<DeviceEffect> device_effects;
    std::optional<orvo_ui::Rect> surface_rect;
    std::uint8_t button_mask = 0;
    bool fullscreen = false;
    std::vector<ConnectionProfile> profiles;

    SessionFields fields() {
        return SessionFields{session,      session_target, session_generation, next_session_serial,
                             remote_frame, device_effects, surface_rect,       button_mask,
                             fullscreen,   profiles};
    }

    const ConnectionProfile& add(ConnectionKind kind, std::string host, std::uint16_t port,
                                 AuthMethod auth = AuthMethod::Password) {
        ConnectionProfile p;
        p.id = Uuid::random_v4();
        p.name = "profile " + std::to_string(profiles.size());
        p.kind = kind;
        p.host = std::move(host);
        p.port = port;
        p.auth = auth;
        profiles.push_back(p);
        return profiles.back();
    }
};

// Sets or unsets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace remote::testing
