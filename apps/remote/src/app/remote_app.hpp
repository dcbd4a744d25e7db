#pragma once
// RemoteApp: the one application object. It owns all UI state and answers the framework's
// operations; every user gesture reaches it as a ShellMessage.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/payloads.hpp"
#include "app/confirmation.hpp"
#include "app/pending_operation.hpp"
#include "app/shell_types.hpp"
#include "platform.hpp"
#include "profile/profile.hpp"
#include "scenes/sample_data.hpp"
#include "session/live_session.hpp"
#include "session/session_manager.hpp"

namespace remote {

using Clock = std::chrono::steady_clock;

// Row metrics of the connection list, recomputed when the text scale changes.
struct ListMetrics {
    double header_height = 124.0;
    double text_scale_unit = 1.0;
    double name_block = 38.0;
    double detail_line = 17.75;
    double button_height = 32.0;
    double status_width = 100.0;
    double edit_width = 76.0;
    double text_block = 72.0;
    double row_regular = 72.0;
    double row_compact = 116.0;
    bool valid = false;
    double computed_for_scale = 0.0;
};

class RemoteApp : public orvo_ui::app::App {
  public:
    RemoteApp(std::vector<ConnectionProfile> profiles, std::vector<DeviceEntry> devices,
              Clock::time_point now = Clock::now());

    // --- framework operations ---
    std::string_view type_name() const override { return "remote::app::RemoteApp"; }
    std::string_view short_name() const override { return "RemoteApp"; }
    bool document_pending() const override { return !document_synced; }
    void layout(const orvo_ui::Rect& node, orvo_ui::Point origin) override;
    void paint(orvo_ui::Frame& frame) override;
    void input_event(const orvo_ui::InputEvent& event) override;
    orvo_ui::Rect bounds() const override { return bounds_rect; }
    void set_reduce_motion(bool reduce) override;
    bool wants_animation_frames() const override;
    bool needs_redraw() const override { return needs_redraw_flag; }
    void collect_damage(std::vector<orvo_ui::Rect>& damage) const override;
    void clear_redraw() override { needs_redraw_flag = false; }

    // --- document and actions (document_sync.cpp) ---
    void document_changed(orvo_ui::doc::Document& document) override;
    orvo_actions::registry::Registry* action_registry_mut() override {
        return &action_host.registry();
    }
    void set_document_context(orvo_ui::doc::Document* document) override {
        document_context = document;
    }
    std::vector<orvo_actions::resource::Resource> resources(
        const orvo_ui::doc::Document& document) const override;
    std::vector<std::string> operation_kinds() const override;
    std::optional<orvo_actions::ActionError> dispatch_document_action(
        orvo_ui::doc::Document& document, const orvo_actions::EncodedAction& action) override;
    std::optional<orvo_ui::bound_dispatch::TypedActionReport> take_action_report() override {
        return action_host.take_report();
    }
    // Dispatches a saved-data change through the action host on the document of the current
    // callback; a failure is logged and the local change stays until the next synchronisation.
    void dispatch_action(const RemoteAction& action);

    // --- shell ---
    void handle(const ShellMessage& message);
    const ConnectionProfile* find_profile(const Uuid& id) const;
    // The profiles the list shows for the current search, in list order.
    std::vector<const ConnectionProfile*> visible_profiles() const;
    std::optional<SessionStatus> session_status() const;
    // Starts a session for the profile with this id (nothing when it is gone).
    void start_session(const Uuid& id);
    void end_session();
    // Collects the live session's output and pictures; part of painting the session view.
    void poll_live_session();
    // The session-manager fields, by reference.
    SessionFields session_fields();
    // Whether the navigation pane is open now (explicit choice, or the wide default).
    bool nav_pane_open() const;
    orvo_ui::widget::text_input::TextInput& input(FieldId field);
    std::string& model_text(FieldId field);
    // Copies the model texts into the widgets, skipping the focused one.
    void mirror_texts_into_inputs();

    // 1. Text inputs, one per field, in FieldId order.
    std::array<orvo_ui::widget::text_input::TextInput, kFieldCount> inputs;
    // 2. Where the remote surface was last drawn.
    std::optional<orvo_ui::Rect> surface_rect;
    // 3. The background operation in flight.
    std::optional<PendingOperation> pending_operation;
    // 4. The live session slot.
    std::optional<LiveSession> session;
    // 5. Profiles (mirror of the document), search text and the form.
    std::vector<ConnectionProfile> profiles;
    std::string search_text;
    FormState form;
    // 6. Devices offered by the form's picker.
    std::vector<DeviceEntry> devices;
    // 7. Device-stream records waiting for the framework.
    std::deque<DeviceEffect> device_effects;
    // 8. Clickable regions of the last paint, in paint order.
    struct HitRegion {
        orvo_ui::Rect rect;
        ShellMessage message;
    };
    std::vector<HitRegion> hit_regions;
    // 9. The action host document actions are dispatched through, and the document of the
    // callback in progress (none between callbacks).
    orvo_ui::ActionHost action_host;
    orvo_ui::doc::Document* document_context = nullptr;
    // 10. One-line notice.
    std::optional<std::string> notice;
    // 11. Hover tooltips.
    orvo_ui::widget::tooltip::TooltipHost tooltip;
    // 12. The pending confirmation.
    std::optional<PendingConfirmation> confirmation;
    // 13. Time of the last paint.
    Clock::time_point last_frame_at;
    // 14. Navigation pane.
    orvo_ui::widget::nav_split::FlapState nav;
    // 15. Surface bookkeeping.
    std::optional<orvo_ui::Image> remote_frame;
    std::uint64_t session_generation = 0;
    std::uint64_t next_session_serial = 1;
    orvo_ui::Rect bounds_rect;
    orvo_ui::Point pointer;
    double list_scroll = 0.0;
    double list_scroll_max = 0.0;
    // 16. List layout metrics.
    ListMetrics metrics;
    // 17. Form validation display.
    bool submit_attempted = false;
    bool touched_name = false;
    bool touched_host = false;
    bool touched_port = false;
    // 18-19. Selection and the profile of the live session.
    std::optional<Uuid> selected;
    std::optional<Uuid> session_target;
    // 20. Flags.
    bool scale_to_fit = true;
    bool fullscreen = false;
    bool needs_redraw_flag = true;
    bool document_synced = false;
    AppView view{AppView::List{}};
    std::optional<FieldId> focused_field;
    bool compact_rows = false;
    std::uint8_t button_mask = 0;

    // Where cut, copy and paste of the text fields go; the launcher hands in the desktop's.
    std::unique_ptr<orvo_ui::widget::clipboard::Clipboard> clipboard =
        std::make_unique<orvo_ui::widget::clipboard::MemoryClipboard>();

  private:
    void release_focus();
    void focus(FieldId field);
    void close_pane_if_narrow_and_open();
    void open_form(FormMode mode);
    // Loads the form's texts into their widgets (caret at the end), except the focused one.
    void reload_form_inputs();
    void set_kind(ConnectionKind kind);
    void pick_device(std::size_t index);
    void save_form();
    void request_connect(const Uuid& id);
    void request_delete(const Uuid& id);
    void confirm();
};

// Builds the application for a launch: sample mode when ORVO_REMOTE_SAMPLE is exactly "1".
std::unique_ptr<RemoteApp> build_app(const std::string& scene);
// True when the environment asks for the sample data set.
bool sample_mode_requested();

}  // namespace remote
