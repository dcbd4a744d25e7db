#include "runtime/ui/surface.hpp"

#include <cmath>

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

void shadow(Canvas& canvas, Rect rect, double radius, double blur, Color color, double drop) {
    // Stacked, growing translucent shapes: where all layers overlap the result has the
    // colour's full alpha, and it thins out towards the outermost layer.
    constexpr int kLayers = 12;
    const double target = color.a / 255.0;
    const double layer_alpha = 1.0 - std::pow(1.0 - target, 1.0 / kLayers);
    const Rect base = rect.translated(0.0, drop);
    for (int i = kLayers; i >= 1; --i) {
        const double grow = blur * static_cast<double>(i) / kLayers;
        canvas.fill_rounded_rect(base.inset(-grow), radius + grow, color.with_alpha(layer_alpha));
    }
}

void dialog(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors) {
    shadow(canvas, rect, kDialogRadius, kDialogShadowBlur,
           colors.scrim.with_alpha(kDialogShadowAlpha));
    canvas.fill_rounded_rect(rect, kDialogRadius, colors.surface_raised);
    canvas.stroke_rounded_rect(rect, kDialogRadius, colors.border, 1.0);
}

}  // namespace orvo_ui::surface
