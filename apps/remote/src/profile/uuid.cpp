#include "profile/uuid.hpp"

#include <uuid/uuid.h>

#include <cctype>
#include <cstring>

namespace remote {

Uuid Uuid::random_v4() {
    Uuid id;
    uuid_generate_random(id.bytes.data());
    return id;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    // uuid_parse wants a terminated 36-character string; check the shape first so that a
    // longer or shorter text is never read past its end.
    if (text.size() != 36) {
        return std::nullopt;
    }
    char buffer[37];
    std::memcpy(buffer, text.data(), 36);
    buffer[36] = '\0';
    Uuid id;
    if (uuid_parse(buffer, id.bytes.data()) != 0) {
        return std::nullopt;
    }
    return id;
}

std::string Uuid::to_string() const {
    char buffer[37];
    uuid_unparse_lower(bytes.data(), buffer);
    return std::string(buffer, 36);
}

}  // namespace remote
