#pragma once
// The one trait through which the framework drives an application. Every operation has a
// default that answers "nothing", so an application overrides only what it handles.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/geometry.hpp"
#include "runtime/ui/input.hpp"

namespace orvo_ui {

class Canvas;
namespace text_render {
class TextRenderer;
}
namespace doc {
class Document;
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

    virtual bool wants_animation_frames() const { return false; }
    virtual bool needs_redraw() const { return false; }
    virtual void collect_damage(std::vector<Rect>& /*damage*/) const {}
    virtual void clear_redraw() {}
};

}  // namespace app
}  // namespace orvo_ui
