#include "actions/apply.hpp"

namespace remote {

void apply_action(const RemoteAction& action, ProfileDocument& document) {
    struct Visitor {
        ProfileDocument& doc;
        void operator()(const RemoteAction::UpsertConnection& a) const {
            ConnectionProfile p;
            p.id = a.id;
            p.name = a.name;
            p.host = a.host;
            p.port = a.port;
            p.user = a.user;
            p.kind = a.kind;
            p.auth = a.auth;
            p.group = a.group;
            for (const auto& existing : read_profiles(doc)) {
                if (existing.id == a.id) {
                    p.last_used = existing.last_used;
                    p.favorite = existing.favorite;
                    p.presence = existing.presence;
                }
            }
            write_profile(doc, p);
        }
        void operator()(const RemoteAction::RenameConnection& a) const {
            rename_profile(doc, a.id, a.name);
        }
        void operator()(const RemoteAction::SetFavorite& a) const {
            set_favorite(doc, a.id, a.favorite);
        }
        void operator()(const RemoteAction::DeleteConnection& a) const {
            delete_profile(doc, a.id);
        }
    };
    std::visit(Visitor{document}, action.value);
}

}  // namespace remote
