#pragma once
// The one trait through which the framework drives an application. Every operation has a
// default that answers "nothing", so an application overrides only what it handles.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/actions/encoded.hpp"
#include "runtime/actions/operation.hpp"
#include "runtime/actions/registry.hpp"
#include "runtime/actions/resource.hpp"
#include "runtime/ui/action_host.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/input.hpp"

namespace orvo_ui {

class Canvas;
namespace text_render {
class TextRenderer;
}

// What a paint call draws with.
struct Frame {
    Canvas& canvas;
    text_render::TextRenderer& text;
    std::chrono::steady_clock::time_point now;
    double device_scale = 1.0;
};

// What the launcher hands the state builder.
struct LaunchContext {
    std::string scene;  // empty when no review scene was asked for
};

namespace app {

class App {
  public:
    virtual ~App() = default;

    virtual std::string_view type_name() const = 0;
    virtual std::string_view short_name() const { return type_name(); }

    // The shared document changed (or was opened): the application mirrors what it needs.
    virtual void document_changed(doc::Document& /*document*/) {}
    // True until the application has synchronised with the document for the first time.
    virtual bool document_pending() const { return false; }

    // The application's node got this rectangle; origin is the offset of the node.
    virtual void layout(const Rect& /*node*/, Point /*origin*/) {}
    virtual void paint(Frame& /*frame*/) {}
    virtual void input_event(const InputEvent& /*event*/) {}
    virtual Rect bounds() const { return {}; }

    virtual void set_reduce_motion(bool /*reduce*/) {}

    // --- actions and operations ---
    // The registry the application registers its action codecs in.
    virtual orvo_actions::registry::Registry* action_registry_mut() { return nullptr; }
    // The document the next callbacks may dispatch actions on; the launcher sets it around
    // every callback and clears it afterwards, so the application never keeps it.
    virtual void set_document_context(doc::Document* /*document*/) {}
    virtual std::vector<orvo_actions::resource::Resource> resources(
        const doc::Document& /*document*/) const {
        return {};
    }
    virtual std::vector<std::string> operation_kinds() const { return {}; }
    // Dispatches an encoded document action through the application's action host.
    virtual std::optional<orvo_actions::ActionError> dispatch_document_action(
        doc::Document& /*document*/, const orvo_actions::EncodedAction& action) {
        return orvo_actions::ActionError{"this application takes no document action " +
                                         action.type_name};
    }
    virtual std::optional<bound_dispatch::TypedActionReport> take_action_report() {
        return std::nullopt;
    }
    virtual orvo_actions::operation::StartResult start_operation(
        const orvo_actions::operation::OperationId& /*id*/,
        orvo_actions::resource::OperationClass /*contract*/, std::string_view /*kind*/,
        std::string_view /*payload*/) {
        return orvo_actions::operation::NotHandled{};
    }
    virtual orvo_actions::operation::ApplyResult apply_operation(
        orvo_actions::resource::OperationClass /*contract*/, std::string_view /*kind*/,
        std::string_view /*payload*/) {
        return orvo_actions::operation::NotHandled{};
    }
    virtual orvo_actions::operation::PollResult poll_operation(
        const orvo_actions::operation::OperationId& /*id*/, bool /*cancel*/) {
        return orvo_actions::operation::NothingToReport{};
    }

    virtual bool wants_animation_frames() const { return false; }
    virtual bool needs_redraw() const { return false; }
    virtual void collect_damage(std::vector<Rect>& /*damage*/) const {}
    virtual void clear_redraw() {}
};

}  // namespace app
}  // namespace orvo_ui
