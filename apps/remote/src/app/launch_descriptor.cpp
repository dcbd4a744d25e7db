#include "app/launch_descriptor.hpp"

#include "actions/resources.hpp"
#include "app/remote_app.hpp"

namespace remote {

orvo_ui::launch::LaunchDescriptor launch_descriptor() {
    orvo_ui::launch::LaunchDescriptor d;
    d.app_id = kApplicationId;
    d.scenes = {"narrow",           "narrow-open",     "form",
                "form-orvo",        "session-ssh",     "session-vnc",
                "session-rdp",      "session-orvo",    "session-connecting",
                "session-failed",   "confirm-connect", "confirm-delete",
                "confirm-ssh-trust"};
    d.build_plain = [] {
        return std::make_unique<RemoteApp>(std::vector<ConnectionProfile>{},
                                           std::vector<DeviceEntry>{});
    };
    d.build = [](const orvo_ui::LaunchContext& context) -> std::unique_ptr<orvo_ui::app::App> {
        return build_app(context.scene);
    };
    d.register_actions = [](orvo_ui::app::App& app) {
        if (auto* registry = app.action_registry_mut())
            register_codecs(*registry);
    };
    d.open_document = [](const orvo_ui::persist::OpenOptions& options) {
        return orvo_ui::persist::open(options);
    };
    d.default_window_size = [] { return orvo_ui::WindowSize{1280, 800}; };
    d.resizable = [] { return true; };
    d.flags = {1, 0, 1, 1};
    return d;
}

}  // namespace remote
