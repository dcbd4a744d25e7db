#include "app/session_slot.hpp"

namespace remote {

SessionStatus slot_status(const LiveSession& session) {
    struct Visitor {
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

}  // namespace remote
