#include "runtime/ui/widget/nav_split.hpp"

#include <algorithm>
#include <cmath>

namespace orvo_ui::widget::nav_split {
namespace {

constexpr double kRate = 14.0;
constexpr double kMaxStep = 0.1;
constexpr double kSnap = 0.001;

}  // namespace

double FlapState::reveal() const {
    if (!std::isfinite(nav_progress)) {
        return is_open() ? 1.0 : 0.0;
    }
    return std::clamp(nav_progress, 0.0, 1.0);
}

double FlapState::slide() const {
    return reveal();
}

bool FlapState::animate(double dt_seconds) {
    const double goal = target();
    if (reduce_motion || !std::isfinite(nav_progress)) {
        nav_progress = goal;
        return false;
    }
    const double t = std::isfinite(dt_seconds) ? std::clamp(dt_seconds, 0.0, kMaxStep) : kMaxStep;
    nav_progress += (goal - nav_progress) * (1.0 - std::exp(-kRate * t));
    if (std::abs(goal - nav_progress) < kSnap) {
        nav_progress = goal;
        return false;
    }
    return true;
}

bool FlapState::moving() const {
    return !reduce_motion && std::abs(target() - nav_progress) >= kSnap;
}

}  // namespace orvo_ui::widget::nav_split
