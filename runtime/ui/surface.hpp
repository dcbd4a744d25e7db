#pragma once
// The standard surfaces: cards, pills and the edges drawn on them.

#include <optional>
#include <string_view>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/color.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/colors.hpp"

namespace orvo_ui::surface {

inline constexpr double kCardRadius = 10.0;
inline constexpr double kPillTextSize = 11.5;
inline constexpr double kPillPaddingX = 8.0;
inline constexpr double kPillPaddingY = 3.0;
inline constexpr double kPillFillAlpha = 0.16;
inline constexpr double kHoverEdgeAlpha = 0.5;

// A card: filled with `fill` (the theme's surface when not given) and outlined with a 1 px
// border.
void card(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors,
          std::optional<Color> fill = std::nullopt, double radius = kCardRadius);

// Size of a pill holding `text`.
double pill_width(const text_render::TextRenderer& text, std::string_view label);
double pill_height(const text_render::TextRenderer& text);

// A fully rounded label whose top-left corner is at `origin`: the tone at 16% opacity behind
// the text in the tone itself. Returns the pill's rectangle.
Rect pill(Canvas& canvas, const text_render::TextRenderer& text, Point origin,
          std::string_view label, Color tone);

// A plain outline of `width` along the inside of `rect`.
void edge_outline(Canvas& canvas, Rect rect, Color color, double radius = kCardRadius,
                  double width = 1.0);

// The selection edge: 2 px of the accent.
void edge_on(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors,
             double radius = kCardRadius);

// The selection edge in another colour or width (a tinted notice, a status card).
void edge_on_with(Canvas& canvas, Rect rect, Color color, double radius = kCardRadius,
                  double width = 2.0);

// The hover edge: 1 px of the accent at half opacity.
void edge_hover(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors,
                double radius = kCardRadius);

inline constexpr double kDialogRadius = 14.0;
inline constexpr double kDialogShadowBlur = 24.0;
inline constexpr double kDialogShadowAlpha = 0.4;

// A soft shadow behind `rect`: `color` at its strongest under the shape, fading to nothing
// `blur` pixels out, shifted down by `drop`.
void shadow(Canvas& canvas, Rect rect, double radius, double blur, Color color, double drop = 4.0);

// A dialog panel: soft black shadow, raised surface, 1 px border.
void dialog(Canvas& canvas, Rect rect, const tokens::colors::Colors& colors);

}  // namespace orvo_ui::surface
