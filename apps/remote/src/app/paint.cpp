// Painting: the frame order, the navigation chrome and the page titles. The list, the form,
// the dialogs and the session surface draw inside the content area laid out here.

#include <cmath>

#include "app/remote_app.hpp"

namespace remote {
namespace {

using orvo_ui::Canvas;
using orvo_ui::Color;
using orvo_ui::Point;
using orvo_ui::Rect;
using orvo_ui::text_render::TextRenderer;
using orvo_ui::tokens::colors::Colors;

constexpr double kRailWidth = 64.0;

double reveal(double progress) {
    return std::clamp(progress, 0.0, 1.0);
}

void draw_centered(TextRenderer& text, Canvas& canvas, std::string_view glyph, Rect box,
                   double size, Color color) {
    const double w = text.measure_weighted(glyph, size);
    const double h = text.line_height(size);
    text.draw_text_weighted(
        canvas, glyph, Point{box.left + (box.width() - w) / 2, box.top + (box.height() - h) / 2},
        size, color);
}

}  // namespace

void RemoteApp::paint(orvo_ui::Frame& frame) {
    Canvas& canvas = frame.canvas;
    TextRenderer& text = frame.text;
    const Colors colors = Colors::dark();

    // 1-3. Regions, widget texts, frame time.
    hit_regions.clear();
    mirror_texts_into_inputs();
    const double dt = std::chrono::duration<double>(frame.now - last_frame_at).count();
    last_frame_at = frame.now;
    poll_live_session();

    // 4. Navigation animation.
    const double target = nav_pane_open() ? 1.0 : 0.0;
    if (nav.reduce_motion) {
        nav.nav_progress = target;
    } else {
        const double t = std::min(std::max(dt, 0.0), 0.1);
        nav.nav_progress += (target - nav.nav_progress) * (1.0 - std::exp(-14.0 * t));
        if (std::abs(target - nav.nav_progress) < 0.001) {
            nav.nav_progress = target;
        } else {
            needs_redraw_flag = true;
        }
    }
    const double open = reveal(nav.nav_progress);

    // 6. Ground, content area, page title.
    const Rect b = bounds_rect;
    canvas.fill_rect(b, colors.background);
    const bool full = view.is<AppView::Session>() && fullscreen;
    const double content_left =
        full ? b.left : (nav.narrow ? b.left + kRailWidth : b.left + kRailWidth * open);
    const Point title_at{content_left + 24, b.top + 18};
    if (view.is<AppView::List>()) {
        const bool wide_pane = b.right - content_left >= 520.0;
        text.draw_text_weighted(canvas, wide_pane ? "Remote Machines" : "Remote", title_at, 22,
                                colors.text);
    } else if (const auto* f = std::get_if<AppView::Form>(&view.value)) {
        text.draw_text_weighted(canvas, f->mode.edit ? "Edit connection" : "New connection",
                                title_at, 22, colors.text);
    } else if (const auto* s = std::get_if<AppView::Session>(&view.value)) {
        if (find_profile(s->id) == nullptr) {
            text.draw_text(canvas, "Connection no longer exists.",
                           Point{content_left + 24, b.top + 24}, 14, colors.text);
        } else if (const auto status = session_status()) {
            text.draw_text_weighted(canvas, status->text(), title_at, 16, colors.text);
        }
    }

    // 7. Notice banner.
    if (notice) {
        const Rect banner = Rect::from_xywh(content_left + 24, b.bottom - 56,
                                            std::max(0.0, b.right - content_left - 48), 40);
        canvas.fill_rounded_rect(banner, 10, colors.surface_raised);
        canvas.stroke_rounded_rect(banner, 10, colors.border, 1);
        text.draw_text(canvas, *notice, Point{banner.left + 14, banner.top + 11}, 13, colors.text);
    }

    // 9. Navigation chrome (none over a fullscreen session).
    if (full) {
        return;
    }
    if (nav.narrow) {
        if (open > 0.001) {
            canvas.fill_rect(b, colors.scrim.with_alpha(0.26 * open));
        }
        const Rect menu = Rect::from_xywh(b.left + 12, b.top + 12, 40, 40);
        canvas.fill_rounded_rect(menu, 8, colors.surface);
        if (menu.contains(pointer)) {
            canvas.stroke_rounded_rect(menu, 8, colors.border, 1);
        }
        if (nav_pane_open()) {
            draw_centered(text, canvas, "‹", menu, 22, colors.text);
        } else {
            for (int i = -1; i <= 1; ++i) {
                const double y = menu.top + 20 + 6 * i;
                canvas.fill_rounded_rect(Rect::from_xywh(menu.left + 11, y - 1, 18, 2), 1,
                                         colors.text);
            }
        }
        hit_regions.push_back({menu, msg::ToggleNavigation{}});
    }
    if (open > 0.001) {
        const double rail_left = b.left - (1.0 - open) * kRailWidth;
        const Rect rail{rail_left, b.top, rail_left + kRailWidth, b.bottom};
        canvas.fill_rect(rail, colors.surface);
        canvas.fill_rect(Rect{rail.right - 1, rail.top, rail.right, rail.bottom}, colors.hairline);
        canvas.fill_rounded_rect(Rect::from_xywh(rail_left + 16, b.top + 18, 32, 26), 5,
                                 colors.accent);
        canvas.fill_rect(Rect::from_xywh(rail_left + 26, b.top + 46, 12, 5), colors.accent);
        const std::pair<const char*, ShellMessage> icons[] = {
            {"≡", msg::ShowConnections{}},
            {"+", msg::NewConnectionForm{}},
        };
        for (int i = 0; i < 2; ++i) {
            const Rect icon = Rect::from_xywh(rail_left + 12, b.top + 72 + 56 * i, 40, 40);
            if (i == 0 && view.is<AppView::List>()) {
                canvas.fill_rounded_rect(icon, 8, colors.lift);
            } else if (icon.contains(pointer)) {
                canvas.stroke_rounded_rect(icon, 8, colors.border, 1);
            }
            draw_centered(text, canvas, icons[i].first, icon, 22, colors.text);
            hit_regions.push_back({icon, icons[i].second});
        }
    }
}

}  // namespace remote
