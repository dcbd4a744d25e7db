#include "app/remote_app.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/list_model.hpp"
#include "profile/endpoint_id.hpp"
#include "profile/text.hpp"

namespace remote {
namespace {

using orvo_ui::widget::text_input::TextInput;

std::string_view placeholder(FieldId field) {
    switch (field) {
        case FieldId::Search:
            return "Search machines…  ( / )";
        case FieldId::Name:
            return "My machine";
        case FieldId::Host:
            return "hostname or IP";
        case FieldId::Port:
            return "Port";
        case FieldId::User:
            return "username";
        case FieldId::Group:
            return "group (optional)";
    }
    return "";
}

std::string_view host_placeholder(ConnectionKind kind) {
    return kind == ConnectionKind::Orvo ? "certified Orvo endpoint id" : "hostname or IP";
}

}  // namespace

RemoteApp::RemoteApp(std::vector<ConnectionProfile> initial_profiles,
                     std::vector<DeviceEntry> initial_devices, Clock::time_point now)
    : inputs{TextInput::local().with_placeholder(std::string(placeholder(FieldId::Search))),
             TextInput::local().with_placeholder(std::string(placeholder(FieldId::Name))),
             TextInput::local().with_placeholder(std::string(placeholder(FieldId::Host))),
             TextInput::local().with_placeholder(std::string(placeholder(FieldId::Port))),
             TextInput::local().with_placeholder(std::string(placeholder(FieldId::User))),
             TextInput::local().with_placeholder(std::string(placeholder(FieldId::Group)))},
      profiles(std::move(initial_profiles)),
      devices(std::move(initial_devices)),
      tooltip(std::chrono::milliseconds(500)),
      last_frame_at(now) {
    const auto visible = visible_profiles();
    if (!visible.empty()) {
        selected = visible.front()->id;
    }
    mirror_texts_into_inputs();
}

TextInput& RemoteApp::input(FieldId field) {
    return inputs[static_cast<std::size_t>(field)];
}

std::string& RemoteApp::model_text(FieldId field) {
    switch (field) {
        case FieldId::Search:
            return search_text;
        case FieldId::Name:
            return form.name;
        case FieldId::Host:
            return form.host;
        case FieldId::Port:
            return form.port;
        case FieldId::User:
            return form.user;
        case FieldId::Group:
            return form.group;
    }
    std::abort();
}

void RemoteApp::mirror_texts_into_inputs() {
    for (FieldId field : kAllFields) {
        if (focused_field == field) {
            continue;
        }
        if (input(field).text() != model_text(field)) {
            input(field).set_text(model_text(field));
        }
    }
}

const ConnectionProfile* RemoteApp::find_profile(const Uuid& id) const {
    for (const auto& p : profiles) {
        if (p.id == id) {
            return &p;
        }
    }
    return nullptr;
}

std::vector<const ConnectionProfile*> RemoteApp::visible_profiles() const {
    return visible_list(profiles, search_text);
}

// ---------------------------------------------------------------- focus and navigation

void RemoteApp::release_focus() {
    if (!focused_field) {
        return;
    }
    const FieldId released = *focused_field;
    input(released).set_focused(false);
    if (view.is<AppView::Form>()) {
        if (released == FieldId::Name)
            touched_name = true;
        if (released == FieldId::Host)
            touched_host = true;
        if (released == FieldId::Port)
            touched_port = true;
    }
    focused_field.reset();
}

void RemoteApp::focus(FieldId field) {
    release_focus();
    focused_field = field;
    input(field).set_focused(true);
}

bool RemoteApp::nav_pane_open() const {
    if (nav.nav_open) {
        return *nav.nav_open;
    }
    return !nav.narrow && nav.nav_wide_default;
}

void RemoteApp::close_pane_if_narrow_and_open() {
    if (nav.narrow && nav.nav_open == true) {
        nav.nav_open = false;
    }
}

void RemoteApp::set_reduce_motion(bool reduce) {
    nav.reduce_motion = reduce;
    if (reduce) {
        nav.nav_progress = nav_pane_open() ? 1.0 : 0.0;
    }
}

// ---------------------------------------------------------------- layout and frames

void RemoteApp::layout(const orvo_ui::Rect& node, orvo_ui::Point origin) {
    bounds_rect = node.translated(origin.x, origin.y);
    nav.narrow = bounds_rect.width() < 720.0;
    if (nav.scene_nav) {
        nav.nav_open = *nav.scene_nav;
        nav.nav_progress = *nav.scene_nav ? 1.0 : 0.0;
        nav.scene_nav.reset();
    }
    if (!nav.nav_last_narrow) {
        nav.nav_last_narrow = nav.narrow;
        nav.nav_progress = nav_pane_open() ? 1.0 : 0.0;
    } else if (*nav.nav_last_narrow != nav.narrow) {
        nav.nav_open.reset();
        nav.nav_last_narrow = nav.narrow;
    }
}

bool RemoteApp::wants_animation_frames() const {
    const double target = nav_pane_open() ? 1.0 : 0.0;
    if (!nav.reduce_motion && std::abs(nav.nav_progress - target) >= 0.001) {
        return true;
    }
    if (tooltip.pending()) {
        return true;
    }
    const auto status = session_status();
    return status && status->is_active();
}

void RemoteApp::collect_damage(std::vector<orvo_ui::Rect>& damage) const {
    if (needs_redraw_flag) {
        damage.push_back(bounds_rect);
    }
}

// ---------------------------------------------------------------- sessions

std::optional<SessionStatus> RemoteApp::session_status() const {
    return slot_status(session);
}

SessionFields RemoteApp::session_fields() {
    return SessionFields{session,      session_target, session_generation, next_session_serial,
                         remote_frame, device_effects, surface_rect,       button_mask,
                         fullscreen,   profiles};
}

void RemoteApp::start_session(const Uuid& id) {
    if (remote::start_session(session_fields(), id)) {
        view = AppView{AppView::Session{id}};
    }
}

void RemoteApp::end_session() {
    remote::end_session(session_fields());
    view = AppView{AppView::List{}};
}

void RemoteApp::poll_live_session() {
    if (view.is<AppView::Session>() && poll_session(session_fields())) {
        needs_redraw_flag = true;
    }
}

// ---------------------------------------------------------------- form

void RemoteApp::reload_form_inputs() {
    input(FieldId::Host).set_placeholder(std::string(host_placeholder(form.kind)));
    for (FieldId field : kAllFields) {
        if (field == FieldId::Search || focused_field == field)
            continue;
        input(field).set_text(model_text(field));
        input(field).set_cursor_pos(model_text(field).size());
    }
}

void RemoteApp::open_form(FormMode mode) {
    submit_attempted = false;
    touched_name = touched_host = touched_port = false;
    release_focus();
    reload_form_inputs();
    view = AppView{AppView::Form{mode}};
    focus(FieldId::Name);
}

void RemoteApp::set_kind(ConnectionKind kind) {
    form.kind = kind;
    if (kind == ConnectionKind::Orvo) {
        form.port.clear();
        form.auth = AuthMethod::DeviceIdentity;
    } else {
        const std::string_view port = trim_unicode(form.port);
        if (port.empty() || port == "0") {
            form.port = std::to_string(default_port(kind));
        }
    }
    const auto allowed = allowed_auth_methods(kind);
    if (std::find(allowed.begin(), allowed.end(), form.auth) == allowed.end()) {
        form.auth = allowed.front();
    }
    reload_form_inputs();
}

void RemoteApp::pick_device(std::size_t index) {
    if (index >= devices.size()) {
        return;
    }
    form.name = devices[index].name;
    form.host = devices[index].endpoint_id;
    form.kind = ConnectionKind::Orvo;
    form.auth = AuthMethod::DeviceIdentity;
    form.port.clear();
    release_focus();
    reload_form_inputs();
    focus(FieldId::Name);
}

void RemoteApp::save_form() {
    const auto problems = validate_form(form);
    if (!problems.empty()) {
        submit_attempted = true;
        std::optional<FieldId> target;
        if (trim_unicode(form.name).empty()) {
            target = FieldId::Name;
        } else if (trim_unicode(form.host).empty()) {
            target = FieldId::Host;
        } else if (form.kind == ConnectionKind::Orvo) {
            target = FieldId::Host;
        } else if (trim_unicode(form.port).empty()) {
            target = FieldId::Port;
        }
        if (target) {
            focus(*target);
        }
        return;
    }
    const auto* mode = std::get_if<AppView::Form>(&view.value);
    const Uuid id = (mode && mode->mode.edit) ? *mode->mode.edit : Uuid::random_v4();
    ConnectionProfile profile = profile_from_form(form, id);
    bool replaced = false;
    for (auto& existing : profiles) {
        if (existing.id == id) {
            profile.favorite = existing.favorite;
            profile.presence = existing.presence;
            profile.last_used = existing.last_used;
            existing = profile;
            replaced = true;
        }
    }
    if (!replaced) {
        profiles.push_back(profile);
    }
    dispatch_action(upsert_from_profile(profile));
    selected = id;
    view = AppView{AppView::List{}};
    release_focus();
}

// ---------------------------------------------------------------- confirmations

void RemoteApp::request_connect(const Uuid& id) {
    const ConnectionProfile* profile = find_profile(id);
    if (profile == nullptr) {
        notice = "That saved connection no longer exists.";
        return;
    }
    if (transport_availability(*profile) != TransportAvailability::Ready) {
        start_session(id);
        return;
    }
    notice.reset();
    release_focus();
    confirmation =
        PendingConfirmation{PendingConfirmation::Connect{profile_snapshot(*profile), id}};
}

void RemoteApp::request_delete(const Uuid& id) {
    const ConnectionProfile* profile = find_profile(id);
    if (profile == nullptr) {
        notice = "That saved connection no longer exists.";
        return;
    }
    notice.reset();
    release_focus();
    confirmation = PendingConfirmation{PendingConfirmation::Delete{profile_snapshot(*profile), id}};
}

void RemoteApp::confirm() {
    if (!confirmation) {
        return;
    }
    const PendingConfirmation taken = std::move(*confirmation);
    confirmation.reset();
    const Uuid id = std::visit([](const auto& c) { return c.id; }, taken.value);
    const std::string recorded = std::visit([](const auto& c) { return c.snapshot; }, taken.value);
    const ConnectionProfile* profile = find_profile(id);
    if (profile == nullptr) {
        notice = "The saved connection was removed before confirmation.";
        return;
    }
    if (profile_snapshot(*profile) != recorded) {
        notice =
            "This connection changed while confirmation was open. Review the current profile, "
            "then try again.";
        return;
    }
    if (std::holds_alternative<PendingConfirmation::Connect>(taken.value)) {
        start_session(id);
    } else if (std::holds_alternative<PendingConfirmation::Delete>(taken.value)) {
        const bool was_selected = selected == id;
        std::erase_if(profiles, [&](const ConnectionProfile& p) { return p.id == id; });
        dispatch_action({RemoteAction::DeleteConnection{id}});
        if (was_selected) {
            const auto visible = visible_profiles();
            selected = visible.empty() ? std::nullopt : std::optional<Uuid>(visible.front()->id);
        }
    } else if (std::holds_alternative<PendingConfirmation::TrustSshHostKey>(taken.value)) {
        // The key is trusted only while the live session still reviews exactly this unknown
        // key; host-key reviews come from live SSH sessions.
        notice = "The observed SSH host key changed before it was trusted. Review it again.";
    } else {
        notice =
            "The SSH host key is no longer the changed key you approved for removal. Reconnect "
            "to review it again.";
    }
}

// ---------------------------------------------------------------- messages

void RemoteApp::handle(const ShellMessage& message) {
    needs_redraw_flag = true;
    std::visit(
        [this](const auto& m) {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, msg::ShowConnections> ||
                          std::is_same_v<M, msg::CancelForm>) {
                release_focus();
                close_pane_if_narrow_and_open();
                view = AppView{AppView::List{}};
            } else if constexpr (std::is_same_v<M, msg::NewConnectionForm>) {
                close_pane_if_narrow_and_open();
                form = FormState{};
                open_form(FormMode::new_profile());
            } else if constexpr (std::is_same_v<M, msg::EditConnection>) {
                const ConnectionProfile* p = find_profile(m.id);
                if (p == nullptr)
                    return;
                form.name = p->name;
                form.host = p->host;
                form.port = std::to_string(p->port);
                form.user = p->user;
                form.group = p->group;
                form.kind = p->kind;
                form.auth = p->auth;
                open_form(FormMode::editing(m.id));
            } else if constexpr (std::is_same_v<M, msg::Connect>) {
                start_session(m.id);
            } else if constexpr (std::is_same_v<M, msg::RequestConnect>) {
                request_connect(m.id);
            } else if constexpr (std::is_same_v<M, msg::Select>) {
                if (find_profile(m.id))
                    selected = m.id;
            } else if constexpr (std::is_same_v<M, msg::ToggleFavorite>) {
                for (auto& p : profiles) {
                    if (p.id != m.id)
                        continue;
                    p.favorite = !p.favorite;
                    dispatch_action({RemoteAction::SetFavorite{m.id, p.favorite}});
                }
            } else if constexpr (std::is_same_v<M, msg::RequestDelete>) {
                request_delete(m.id);
            } else if constexpr (std::is_same_v<M, msg::RequestTrustSshHostKey>) {
                if (!find_profile(m.id))
                    return;
                // Only a live SSH session's review of an unknown key can be trusted; no such
                // review exists without a live SSH session.
                notice =
                    "No new SSH host key is waiting for trust. Changed keys must be forgotten "
                    "before they can be reviewed again.";
            } else if constexpr (std::is_same_v<M, msg::RequestForgetSshHostKey>) {
                if (!find_profile(m.id))
                    return;
                notice =
                    "Only a currently changed SSH host key can be forgotten. Reconnect to "
                    "revalidate this target first.";
            } else if constexpr (std::is_same_v<M, msg::Confirm>) {
                confirm();
            } else if constexpr (std::is_same_v<M, msg::CancelConfirmation>) {
                confirmation.reset();
                notice = "Action cancelled. No connection or profile was changed.";
            } else if constexpr (std::is_same_v<M, msg::FocusField>) {
                focus(m.field);
            } else if constexpr (std::is_same_v<M, msg::SetKind>) {
                set_kind(m.kind);
            } else if constexpr (std::is_same_v<M, msg::SetAuth>) {
                form.auth = m.auth;
            } else if constexpr (std::is_same_v<M, msg::SaveForm>) {
                save_form();
            } else if constexpr (std::is_same_v<M, msg::ToggleScale>) {
                scale_to_fit = !scale_to_fit;
            } else if constexpr (std::is_same_v<M, msg::ToggleFullscreen>) {
                fullscreen = !fullscreen;
            } else if constexpr (std::is_same_v<M, msg::Disconnect>) {
                end_session();
            } else if constexpr (std::is_same_v<M, msg::PickDevice>) {
                pick_device(m.index);
            } else if constexpr (std::is_same_v<M, msg::ToggleNavigation>) {
                nav.nav_open = !nav_pane_open();
            }
        },
        message);
    mirror_texts_into_inputs();
}

}  // namespace remote
