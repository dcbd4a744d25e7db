#include "runtime/ui/canvas.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvo_ui {
namespace {

QColor to_qcolor(Color c) {
    return QColor(c.r, c.g, c.b, c.a);
}

QRectF to_qrect(Rect r) {
    return QRectF(r.left, r.top, r.width(), r.height());
}

QPolygonF to_polygon(std::span<const Point> points) {
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& p : points) {
        poly.append(QPointF(p.x, p.y));
    }
    return poly;
}

// A rectangle inset by half the stroke, so that the stroke's outer edge meets `r`.
Rect stroke_rect_for(Rect r, double width) {
    return r.inset(width / 2.0);
}

}  // namespace

Canvas::Canvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

Canvas::~Canvas() {
    while (depth_ > 0) {
        restore();
    }
}

void Canvas::fill_rect(Rect r, Color c) {
    painter_.fillRect(to_qrect(r), to_qcolor(c));
}

void Canvas::stroke_rect(Rect r, Color c, double width) {
    stroke_rounded_rect(r, 0.0, c, width);
}

void Canvas::fill_rounded_rect(Rect r, double radius, Color c) {
    if (radius <= 0.0) {
        fill_rect(r, c);
        return;
    }
    const double rad = std::min({radius, r.width() / 2.0, r.height() / 2.0});
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(to_qcolor(c));
    painter_.drawRoundedRect(to_qrect(r), rad, rad);
}

void Canvas::stroke_rounded_rect(Rect r, double radius, Color c, double width) {
    if (width <= 0.0) {
        return;
    }
    const Rect s = stroke_rect_for(r, width);
    if (s.width() < 0.0 || s.height() < 0.0) {
        return;
    }
    QPen pen(to_qcolor(c), width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    const double rad = std::clamp(radius - width / 2.0, 0.0, std::min(s.width(), s.height()) / 2.0);
    if (rad <= 0.0) {
        painter_.drawRect(to_qrect(s));
    } else {
        painter_.drawRoundedRect(to_qrect(s), rad, rad);
    }
}

void Canvas::fill_circle(Point center, double radius, Color c) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(to_qcolor(c));
    painter_.drawEllipse(QPointF(center.x, center.y), radius, radius);
}

void Canvas::stroke_circle(Point center, double radius, Color c, double width) {
    painter_.setPen(QPen(to_qcolor(c), width));
    painter_.setBrush(Qt::NoBrush);
    const double r = std::max(0.0, radius - width / 2.0);
    painter_.drawEllipse(QPointF(center.x, center.y), r, r);
}

void Canvas::line(Point from, Point to, Color c, double width) {
    QPen pen(to_qcolor(c), width);
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
    painter_.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}

void Canvas::fill_polygon(std::span<const Point> points, Color c) {
    if (points.size() < 3) {
        return;
    }
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(to_qcolor(c));
    painter_.drawPolygon(to_polygon(points), Qt::WindingFill);
}

void Canvas::stroke_polygon(std::span<const Point> points, Color c, double width) {
    if (points.size() < 2) {
        return;
    }
    QPen pen(to_qcolor(c), width);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolygon(to_polygon(points));
}

void Canvas::draw_image(const Image& image, Rect target, ImageScaling scaling) {
    if (target.width() <= 0.0 || target.height() <= 0.0) {
        return;
    }
    const QImage wrapped = image.to_qimage();
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, scaling == ImageScaling::Smooth);
    painter_.drawImage(to_qrect(target), wrapped);
    painter_.restore();
}

void Canvas::save() {
    painter_.save();
    ++depth_;
}

void Canvas::restore() {
    if (depth_ == 0) {
        return;
    }
    painter_.restore();
    --depth_;
}

void Canvas::multiply_opacity(double factor) {
    painter_.setOpacity(painter_.opacity() * std::clamp(factor, 0.0, 1.0));
}

double Canvas::opacity() const {
    return painter_.opacity();
}

void Canvas::clip(Rect r) {
    painter_.setClipRect(to_qrect(r), Qt::IntersectClip);
}

std::array<Point, 10> star_points(Point center, double outer, double inner_ratio) {
    std::array<Point, 10> pts{};
    const double inner = outer * inner_ratio;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const double angle =
            -std::numbers::pi / 2.0 + static_cast<double>(i) * std::numbers::pi / 5.0;
        const double radius = (i % 2 == 0) ? outer : inner;
        pts[i] = {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)};
    }
    return pts;
}

}  // namespace orvo_ui
