#pragma once
// The theme's colour roles. Only the dark theme exists.

#include "runtime/ui/color.hpp"

namespace orvo_ui::tokens::colors {

struct Colors {
    Color background = Color::hex(0x0F1115);      // window ground
    Color surface = Color::hex(0x171A21);         // rail, session header, cards
    Color surface_raised = Color::hex(0x1E222B);  // dialog, notice banner, tooltip
    Color lift = Color::hex(0x262B36);            // selected rail icon, hovered card fill
    Color border = Color::hex(0x2C313C);          // card and field outlines
    Color hairline = Color::hex(0x232833);        // rail edge, header bottom
    Color text = Color::hex(0xE6E9EF);
    Color text_muted = Color::hex(0x98A1B2);  // labels, detail lines, placeholders
    Color accent = Color::hex(0x4F8CFF);      // primary buttons, focus ring, selection
    Color accent_text = Color::hex(0xFFFFFF);
    Color online = Color::hex(0x3FB950);
    Color offline = Color::hex(0x6E7681);
    Color unknown = Color::hex(0xA371F7);
    Color busy = Color::hex(0xD29922);
    Color error = Color::hex(0xF85149);
    Color neutral = Color::hex(0x8B949E);
    Color scrim = Color::hex(0x000000);

    static Colors dark() { return Colors{}; }
};

}  // namespace orvo_ui::tokens::colors
