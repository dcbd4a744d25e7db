#pragma once
// The window chrome: panel grounds, their borders and the hairlines that separate them.

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/tokens/colors.hpp"

namespace orvo_ui::chrome::shell {

enum class Edge { Left, Top, Right, Bottom };

// Fills a panel (rail, session header) with the surface colour.
void panel_ground(Canvas& canvas, Rect panel, const tokens::colors::Colors& colors);

// A 1 px border along the inside of the whole panel.
void panel_border(Canvas& canvas, Rect panel, const tokens::colors::Colors& colors);

// A 1 px hairline along the inside of one edge of `panel` (the rail's right edge, the
// header's bottom edge). Drawn as a filled pixel row, so it stays sharp.
void chrome_hairline(Canvas& canvas, Rect panel, Edge edge, const tokens::colors::Colors& colors);

}  // namespace orvo_ui::chrome::shell
