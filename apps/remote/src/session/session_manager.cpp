#include "session/session_manager.hpp"

#include "known_hosts/store_location.hpp"
#include "profile/endpoint_id.hpp"
#include "profile/validation.hpp"
#include "ssh/ssh_auth.hpp"
#include "ssh/ssh_launch.hpp"

namespace remote {
namespace {

ConnectionProfile* find(std::vector<ConnectionProfile>& profiles, const Uuid& id) {
    for (auto& p : profiles) {
        if (p.id == id) {
            return &p;
        }
    }
    return nullptr;
}

LiveSession start_ssh(const ConnectionProfile& profile) {
    const auto trust_file = known_hosts_path();
    if (!trust_file.ok()) {
        return {
            LiveSession::StartFailed{"SSH host-key trust is unavailable: " + trust_file.error()}};
    }
    auto auth = ssh::resolve_ssh_auth(profile.auth);
    if (auto* error = std::get_if<std::string>(&auth)) {
        return {LiveSession::StartFailed{std::move(*error)}};
    }
    ssh::SshLaunch launch{profile.host,       ssh::launch_user(profile.user),
                          trust_file.value(), std::move(std::get<ssh::SshAuth>(auth)),
                          profile.port,       ssh::kTerminalColumns,
                          ssh::kTerminalRows};
    auto started = ssh::start_ssh_session(std::move(launch));
    if (auto* error = std::get_if<std::string>(&started)) {
        return {LiveSession::StartFailed{std::move(*error)}};
    }
    return {LiveSession::Ssh{std::move(std::get<ssh::SshSession>(started))}};
}

LiveSession start_vnc(const ConnectionProfile& profile) {
    rfb::VncLaunch launch{profile.host, profile.port, ssh::process_env("REMOTE_VNC_PASSWORD")};
    auto started = rfb::start_vnc_worker(std::move(launch));
    if (!started.ok()) {
        return {LiveSession::StartFailed{started.error().text}};
    }
    return {LiveSession::Vnc{VncSession{std::nullopt, std::move(started.value())}}};
}

LiveSession start_device(const ConnectionProfile& profile) {
    // Device streams arrive with their own worker; until then a valid endpoint stops here.
    if (!EndpointId::parse(profile.host)) {
        return {
            LiveSession::StartFailed{"Orvo host must be an exact certified device endpoint id"}};
    }
    return {LiveSession::StartFailed{"Orvo device sessions are not part of this build yet"}};
}

LiveSession start_transport(const ConnectionProfile& profile) {
    switch (profile.kind) {
        case ConnectionKind::Ssh:
            return start_ssh(profile);
        case ConnectionKind::Vnc:
            return start_vnc(profile);
        case ConnectionKind::Orvo:
            return start_device(profile);
        case ConnectionKind::Rdp:
            break;
    }
    return {
        LiveSession::NotAvailable{TransportAvailability::BackendUnavailable, ConnectionKind::Rdp}};
}

bool take_vnc_picture(VncSession& vnc, std::optional<orvo_ui::Image>& remote_frame) {
    const auto snapshot = vnc.worker.framebuffer->get();  // shares the pixels, copies nothing
    if (!snapshot || snapshot->generation() == vnc.last_seen_generation) {
        return false;
    }
    vnc.last_seen_generation = snapshot->generation();
    auto image =
        orvo_ui::Image::from_rgba(snapshot->shared_bytes(), snapshot->width(), snapshot->height());
    if (auto* ready = std::get_if<orvo_ui::Image>(&image)) {
        remote_frame = std::move(*ready);
    } else {
        remote_frame.reset();  // a framebuffer without pixels has nothing to draw
    }
    return true;
}

}  // namespace

bool start_session(SessionFields f, const Uuid& id) {
    ConnectionProfile* profile = find(f.profiles, id);
    if (profile == nullptr) {
        return false;
    }
    if (f.session_generation == kMaxSessionCounter) {
        f.session.reset();
        f.session_target = id;
        f.session = LiveSession{LiveSession::StartFailed{kIdentityExhaustedText}};
        return true;
    }
    ++f.session_generation;
    f.session_target = id;
    f.fullscreen = false;
    f.remote_frame.reset();
    f.surface_rect.reset();
    f.button_mask = 0;
    f.session.reset();  // replacing a session queues no CloseStream

    const TransportAvailability availability = transport_availability(*profile);
    if (availability != TransportAvailability::Ready) {
        f.session = LiveSession{LiveSession::NotAvailable{availability, profile->kind}};
        return true;
    }
    f.session = start_transport(*profile);
    profile->last_used = "just now";
    return true;
}

void end_session(SessionFields f) {
    if (f.session) {
        if (const auto* device = std::get_if<LiveSession::Device>(&f.session->value)) {
            f.device_effects.push_back(
                DeviceEffect{DeviceEffect::CloseStream{device->session.serial}});
        }
    }
    f.session.reset();
    f.remote_frame.reset();
    f.surface_rect.reset();
    f.session_target.reset();
    if (f.session_generation != kMaxSessionCounter) {
        ++f.session_generation;
    }
    f.fullscreen = false;
}

bool poll_session(SessionFields f) {
    if (!f.session) {
        return false;
    }
    bool changed = false;
    if (auto* ssh_slot = std::get_if<LiveSession::Ssh>(&f.session->value)) {
        changed = ssh_slot->session.drain_output();
    } else if (auto* vnc_slot = std::get_if<LiveSession::Vnc>(&f.session->value)) {
        changed = take_vnc_picture(vnc_slot->session, f.remote_frame);
    }
    if (f.session_target && slot_status(*f.session).is<SessionStatus::Connected>()) {
        ConnectionProfile* profile = find(f.profiles, *f.session_target);
        if (profile != nullptr && profile->presence != Presence::Online) {
            profile->presence = Presence::Online;
            changed = true;
        }
    }
    return changed;
}

bool session_wants_frames(const std::optional<LiveSession>& session) {
    const auto status = slot_status(session);
    return status && status->is_active();
}

ssh::SshSession* ssh_session(std::optional<LiveSession>& session) {
    if (!session) {
        return nullptr;
    }
    auto* slot = std::get_if<LiveSession::Ssh>(&session->value);
    return slot != nullptr ? &slot->session : nullptr;
}

VncSession* vnc_session(std::optional<LiveSession>& session) {
    if (!session) {
        return nullptr;
    }
    auto* slot = std::get_if<LiveSession::Vnc>(&session->value);
    return slot != nullptr ? &slot->session : nullptr;
}

VncSession* live_vnc(std::optional<LiveSession>& session) {
    VncSession* vnc = vnc_session(session);
    if (vnc == nullptr || !slot_status(session)->is<SessionStatus::Connected>()) {
        return nullptr;
    }
    return vnc;
}

}  // namespace remote
