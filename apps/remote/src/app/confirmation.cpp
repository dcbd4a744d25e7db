#include "app/confirmation.hpp"

namespace remote {

std::string profile_snapshot(const ConnectionProfile& profile) {
    std::string text(kind_document_text(profile.kind));
    text += '|';
    text += profile.host;
    text += '|';
    text += std::to_string(profile.port);
    text += '|';
    text += profile.user;
    text += '|';
    text += auth_label(profile.auth);
    return text;
}

}  // namespace remote
