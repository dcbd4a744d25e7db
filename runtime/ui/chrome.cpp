#include "runtime/ui/chrome.hpp"

namespace orvo_ui::chrome::shell {

void panel_ground(Canvas& canvas, Rect panel, const tokens::colors::Colors& colors) {
    canvas.fill_rect(panel, colors.surface);
}

void panel_border(Canvas& canvas, Rect panel, const tokens::colors::Colors& colors) {
    canvas.stroke_rect(panel, colors.border, 1.0);
}

void chrome_hairline(Canvas& canvas, Rect panel, Edge edge, const tokens::colors::Colors& colors) {
    Rect line = panel;
    switch (edge) {
        case Edge::Left:
            line.right = panel.left + 1.0;
            break;
        case Edge::Top:
            line.bottom = panel.top + 1.0;
            break;
        case Edge::Right:
            line.left = panel.right - 1.0;
            break;
        case Edge::Bottom:
            line.top = panel.bottom - 1.0;
            break;
    }
    canvas.fill_rect(line, colors.hairline);
}

}  // namespace orvo_ui::chrome::shell
