#pragma once
// The application's one window: paints on demand, asks for frames only while the application
// animates, and turns window-system events into InputEvents.

#include <QRasterWindow>

#include "runtime/ui/app.hpp"
#include "runtime/ui/document_host.hpp"
#include "runtime/ui/text_render.hpp"

namespace orvo_ui {

class AppWindow : public QRasterWindow {
  public:
    explicit AppWindow(app::App& app);

    // Callbacks into the application run through the document host when there is one.
    void set_document_host(DocumentHost* host) { host_ = host; }

    // Called after anything may have changed the application: schedules a paint when it
    // needs one, or keeps frames coming while it animates.
    void schedule();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void deliver(const InputEvent& input);

    app::App& app_;
    DocumentHost* host_ = nullptr;
    text_render::TextRenderer text_;
};

// Lays out and paints one frame of `app` into an image of the given logical size.
QImage render_frame(app::App& app, int width, int height, double device_scale = 1.0);

}  // namespace orvo_ui
