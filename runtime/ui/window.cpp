#include "runtime/ui/window.hpp"

#include <QInputMethodQueryEvent>
#include <QPainter>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/input_qt.hpp"

namespace orvo_ui {

AppWindow::AppWindow(app::App& app) : app_(app) {}

void AppWindow::schedule() {
    if (app_.needs_redraw()) {
        update();
    } else if (app_.wants_animation_frames()) {
        requestUpdate();
    }
}

void AppWindow::paintEvent(QPaintEvent*) {
    app_.layout(Rect::from_xywh(0, 0, width(), height()), Point{0, 0});
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Canvas canvas(painter);
    Frame frame{canvas, text_, std::chrono::steady_clock::now(), devicePixelRatio()};
    app_.paint(frame);
    app_.clear_redraw();
    // Frames keep coming only while the application animates; an idle window sleeps.
    if (app_.wants_animation_frames() || app_.needs_redraw()) {
        requestUpdate();
    }
}

void AppWindow::resizeEvent(QResizeEvent* event) {
    QRasterWindow::resizeEvent(event);
    app_.layout(Rect::from_xywh(0, 0, width(), height()), Point{0, 0});
    update();
}

bool AppWindow::event(QEvent* event) {
    if (event->type() == QEvent::InputMethodQuery) {
        auto* query = static_cast<QInputMethodQueryEvent*>(event);
        if (query->queries() & Qt::ImEnabled) {
            query->setValue(Qt::ImEnabled, true);
        }
        query->accept();
        return true;
    }
    if (auto input = input_from_qt(*event, devicePixelRatio())) {
        deliver(*input);
        event->accept();
        return true;
    }
    return QRasterWindow::event(event);
}

void AppWindow::deliver(const InputEvent& input) {
    if (host_ != nullptr) {
        host_->run([&] { app_.input_event(input); });
    } else {
        app_.input_event(input);
    }
    schedule();
}

QImage render_frame(app::App& app, int width, int height, double device_scale) {
    QImage image(static_cast<int>(width * device_scale), static_cast<int>(height * device_scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(device_scale);
    image.fill(Qt::black);
    app.layout(Rect::from_xywh(0, 0, width, height), Point{0, 0});
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        Canvas canvas(painter);
        text_render::TextRenderer text;
        Frame frame{canvas, text, std::chrono::steady_clock::now(), device_scale};
        app.paint(frame);
    }
    app.clear_redraw();
    return image;
}

}  // namespace orvo_ui
