#include "runtime/ui/text_case.hpp"

#include <QString>

namespace orvo_ui::text_case {

std::string lowercase(std::string_view text) {
    bool ascii = true;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }
    const QString wide = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return wide.toLower().toStdString();
}

}  // namespace orvo_ui::text_case
