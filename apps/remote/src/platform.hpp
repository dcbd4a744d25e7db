#pragma once
// The one place where the application includes the framework layer.

#include "runtime/ui/app.hpp"
#include "runtime/ui/canvas.hpp"
#include "runtime/ui/files.hpp"
#include "runtime/ui/image.hpp"
#include "runtime/ui/input.hpp"
#include "runtime/ui/launch.hpp"
#include "runtime/ui/text_case.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/colors.hpp"
#include "runtime/ui/tokens/terminal_palette.hpp"
#include "runtime/ui/widget/button.hpp"
#include "runtime/ui/widget/clipboard.hpp"
#include "runtime/ui/widget/nav_split.hpp"
#include "runtime/ui/widget/text_input.hpp"
#include "runtime/ui/widget/toggle_group.hpp"
#include "runtime/ui/widget/tooltip.hpp"
