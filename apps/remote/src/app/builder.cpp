#include <cstdlib>
#include <cstring>

#include "app/remote_app.hpp"

namespace remote {

bool sample_mode_requested() {
    const char* value = std::getenv("ORVO_REMOTE_SAMPLE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::unique_ptr<RemoteApp> build_app(const std::string& scene) {
    const bool sample = sample_mode_requested();
    auto app = sample ? std::make_unique<RemoteApp>(sample_profiles(), sample_devices())
                      : std::make_unique<RemoteApp>(std::vector<ConnectionProfile>{},
                                                    std::vector<DeviceEntry>{});
    app->clipboard = std::make_unique<orvo_ui::widget::clipboard::QtClipboard>();
    // The narrow-layout scenes only force the navigation pane and work in both builds.
    if (scene == "narrow") {
        app->nav.scene_nav = false;
    } else if (scene == "narrow-open") {
        app->nav.scene_nav = true;
    }
    return app;
}

}  // namespace remote
