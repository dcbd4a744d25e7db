// The shell's side of the shared document: mirroring the saved profiles, dispatching changes
// as actions, and the resources automation clients see.

#include <cstdio>

#include "actions/resources.hpp"
#include "app/launch_descriptor.hpp"
#include "app/remote_app.hpp"
#include "doc/profile_store.hpp"

namespace remote {

void RemoteApp::document_changed(orvo_ui::doc::Document& document) {
    std::vector<ConnectionProfile> read = read_profiles(document);
    if (!document_synced && read.empty()) {
        // An empty document receives what the application holds: the sample set in sample
        // mode, nothing in the ordinary build.
        for (const auto& p : profiles) {
            write_profile(document, p);
        }
        document_synced = true;
        needs_redraw_flag = true;
        return;
    }
    const bool was_synced = document_synced;
    if (was_synced && read == profiles) {
        return;
    }
    profiles = std::move(read);
    document_synced = true;
    needs_redraw_flag = true;
    if (!selected || find_profile(*selected) == nullptr) {
        const auto visible = visible_profiles();
        selected = visible.empty() ? std::nullopt : std::optional<Uuid>(visible.front()->id);
    }
    // A live session whose profile another replica deleted ends. At the first
    // synchronisation a review scene's session stays, showing that its profile is gone.
    if (was_synced && session_target && find_profile(*session_target) == nullptr) {
        end_session();
    }
}

void RemoteApp::dispatch_action(const RemoteAction& action) {
    if (document_context == nullptr) {
        std::fprintf(stderr, "warning: action dispatch failed: no document is open\n");
        return;
    }
    const auto context = orvo_actions::context::ActionContext::local_user(kApplicationId, "Remote");
    // The host logs a failure as "action dispatch failed"; the local change stays until the
    // next synchronisation replaces the profiles.
    (void)action_host.dispatch_with_context(*document_context, kActionTypeName,
                                            encode_action(action), context);
}

std::optional<orvo_actions::ActionError> RemoteApp::dispatch_document_action(
    orvo_ui::doc::Document& document, const orvo_actions::EncodedAction& action) {
    const auto context = orvo_actions::context::ActionContext::local_user(kApplicationId, "Remote");
    return action_host.dispatch_with_context(document, action.type_name, action, context);
}

std::vector<orvo_actions::resource::Resource> RemoteApp::resources(
    const orvo_ui::doc::Document& document) const {
    auto roots = connection_resources(document);
    if (session && session_target && !roots.empty()) {
        if (const ConnectionProfile* p = find_profile(*session_target)) {
            const bool ssh_connected = std::holds_alternative<LiveSession::Ssh>(session->value) &&
                                       session_status() == SessionStatus::connected();
            roots.front().children.push_back(session_resource(*p, ssh_connected, std::nullopt));
        }
    }
    return roots;
}

std::vector<std::string> RemoteApp::operation_kinds() const {
    const auto types = operation_types();
    return {types.begin(), types.end()};
}

}  // namespace remote
