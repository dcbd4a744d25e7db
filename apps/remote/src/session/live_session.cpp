#include "session/live_session.hpp"

namespace remote {

SessionStatus slot_status(const LiveSession& session) {
    struct Visitor {
        SessionStatus operator()(const LiveSession::Ssh& s) const { return s.session.status(); }
        SessionStatus operator()(const LiveSession::Vnc& s) const {
            return s.session.worker.status->get().value_or(SessionStatus::connecting());
        }
        SessionStatus operator()(const LiveSession::Device& s) const { return s.session.status; }
        SessionStatus operator()(const LiveSession::StartFailed& s) const {
            return SessionStatus::failed(s.text);
        }
        SessionStatus operator()(const LiveSession::NotAvailable& s) const {
            return SessionStatus::unavailable(
                std::string(availability_text(s.availability, s.kind)));
        }
        SessionStatus operator()(const LiveSession::Placeholder& s) const { return s.status; }
    };
    return std::visit(Visitor{}, session.value);
}

std::optional<SessionStatus> slot_status(const std::optional<LiveSession>& session) {
    if (!session) {
        return std::nullopt;
    }
    return slot_status(*session);
}

}  // namespace remote
