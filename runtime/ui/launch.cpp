#include "runtime/ui/launch.hpp"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

#include "runtime/automation/endpoint.hpp"
#include "runtime/automation/protocol.hpp"
#include "runtime/ui/command_line.hpp"
#include "runtime/ui/document_host.hpp"
#include "runtime/ui/window.hpp"

namespace orvo_ui::launch {
namespace {

std::unique_ptr<app::App> build(const LaunchDescriptor& descriptor, const LaunchOptions& options) {
    std::unique_ptr<app::App> app;
    if (descriptor.build) {
        app = descriptor.build(LaunchContext{options.scene});
    } else if (descriptor.build_plain) {
        app = descriptor.build_plain();
    }
    if (app && descriptor.register_actions) {
        descriptor.register_actions(*app);
    }
    return app;
}

int screenshot(app::App& app, const LaunchOptions& options, WindowSize size) {
    const QImage image = render_frame(app, size.width, size.height);
    if (!image.save(QString::fromStdString(options.screenshot), "PNG")) {
        std::fprintf(stderr, "could not write the screenshot %s\n", options.screenshot.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int run_or_exit(const LaunchDescriptor& descriptor, int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string program = argc > 0 ? argv[0] : "remote";
    const auto parsed = parse_command_line(args, descriptor.scenes);
    if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error->message.c_str(),
                     usage_text(program, descriptor.scenes).c_str());
        return 2;
    }
    const auto& options = std::get<LaunchOptions>(parsed);
    if (options.help) {
        std::fputs(usage_text(program, descriptor.scenes).c_str(), stdout);
        return 0;
    }
    // A screenshot needs no display: render offscreen unless the caller chose a platform.
    if (!options.screenshot.empty() && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QGuiApplication qt(argc, argv);
    QGuiApplication::setApplicationName("Remote");
    QGuiApplication::setDesktopFileName(QString::fromStdString(descriptor.app_id));

    std::unique_ptr<app::App> app = build(descriptor, options);
    if (!app) {
        std::fprintf(stderr, "%s: the application could not be built\n", program.c_str());
        return 1;
    }
    // The shared document: opened before the first frame; a document that cannot be opened
    // stops the start instead of being replaced by an empty one.
    std::unique_ptr<DocumentHost> host;
    if (descriptor.open_document) {
        auto opened = descriptor.open_document(persist::OpenOptions{});
        if (!opened.ok()) {
            std::fprintf(stderr, "%s: could not open the saved connections: %s\n", program.c_str(),
                         opened.error().message.c_str());
            return 1;
        }
        host = std::make_unique<DocumentHost>(*app, std::move(opened).value());
    }
    const WindowSize size = options.size.value_or(
        descriptor.default_window_size ? descriptor.default_window_size() : WindowSize{});
    if (!options.screenshot.empty()) {
        return screenshot(*app, options, size);
    }

    AppWindow window(*app);
    window.set_document_host(host.get());
    std::unique_ptr<orvo_automation::Endpoint> endpoint;
    if (host) {
        host->set_on_change([&window] { window.schedule(); });
        // Automation clients reach the running application here; without the endpoint the
        // application still runs.
        auto listening =
            orvo_automation::Endpoint::listen(orvo_automation::default_socket_path(), *app, *host);
        if (auto* served = std::get_if<std::unique_ptr<orvo_automation::Endpoint>>(&listening)) {
            endpoint = std::move(*served);
        } else {
            std::fprintf(stderr, "%s: automation endpoint unavailable: %s\n", program.c_str(),
                         std::get<std::string>(listening).c_str());
        }
    }
    window.setTitle("Remote");
    window.resize(size.width, size.height);
    window.show();
    return QGuiApplication::exec();
}

}  // namespace orvo_ui::launch
