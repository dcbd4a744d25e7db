#include "runtime/ui/fonts.hpp"

#include <QFontDatabase>
#include <QString>

#include <array>

namespace orvo_ui::fonts {
namespace {

constexpr std::string_view kFontDir = "/usr/share/fonts/truetype/dejavu/";
constexpr std::array<std::string_view, 4> kFiles = {
    "DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"};

QString qt_string(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool both_listed() {
    return QFontDatabase::hasFamily(qt_string(kUiFamily)) &&
           QFontDatabase::hasFamily(qt_string(kMonoFamily));
}

}  // namespace

bool ensure_loaded() {
    // Registering the files once is enough; a second attempt would only add duplicates.
    static bool registered = false;
    if (!registered && !both_listed()) {
        for (const std::string_view file : kFiles) {
            QFontDatabase::addApplicationFont(qt_string(kFontDir) + qt_string(file));
        }
    }
    registered = true;
    return both_listed();
}

}  // namespace orvo_ui::fonts
