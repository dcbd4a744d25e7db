#include "runtime/ui/surface.hpp"

namespace orvo_ui::surface {

void card(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors,
          std::optional<Color> fill, double radius) {
    canvas.fill_rounded_rect(rect, radius, fill.value_or(colors.surface));
    canvas.stroke_rounded_rect(rect, radius, colors.border, 1.0);
}

double pill_width(const text_render::TextRenderer& text, std::string_view label) {
    return text.measure(label, kPillTextSize) + 2.0 * kPillPaddingX;
}

double pill_height(const text_render::TextRenderer& text) {
    return text.line_height(kPillTextSize) + 2.0 * kPillPaddingY;
}

Rect pill(Canvas& canvas, const text_render::TextRenderer& text, Point origin,
          std::string_view label, Color tone) {
    const Rect r = Rect::from_xywh(origin.x, origin.y, pill_width(text, label), pill_height(text));
    canvas.fill_rounded_rect(r, r.height() / 2.0, tone.with_alpha(kPillFillAlpha));
    text.draw_text(canvas, label, {r.left + kPillPaddingX, r.top + kPillPaddingY}, kPillTextSize,
                   tone);
    return r;
}

void edge_outline(Canvas& canvas, Rect rect, Color color, double radius, double width) {
    canvas.stroke_rounded_rect(rect, radius, color, width);
}

void edge_on(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors, double radius) {
    edge_on_with(canvas, rect, colors.accent, radius, 2.0);
}

void edge_on_with(Canvas& canvas, Rect rect, Color color, double radius, double width) {
    canvas.stroke_rounded_rect(rect, radius, color, width);
}

void edge_hover(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors, double radius) {
    canvas.stroke_rounded_rect(rect, radius, colors.accent.with_alpha(kHoverEdgeAlpha), 1.0);
}

}  // namespace orvo_ui::surface
