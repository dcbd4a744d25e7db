#include "app/list_model.hpp"

#include <algorithm>

#include "platform.hpp"
#include "profile/text.hpp"

namespace remote {
namespace {

using orvo_ui::text_case::lowercase;

bool matches(const ConnectionProfile& p, const std::string& query) {
    for (std::string_view field :
         {std::string_view(p.name), std::string_view(p.host), std::string_view(p.user),
          std::string_view(p.group), kind_document_text(p.kind)}) {
        if (lowercase(field).find(query) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<const ConnectionProfile*> visible_list(const std::vector<ConnectionProfile>& profiles,
                                                   std::string_view search_text) {
    const std::string query = lowercase(trim_unicode(search_text));
    struct Entry {
        const ConnectionProfile* profile;
        std::string key;
    };
    std::vector<Entry> entries;
    for (const auto& p : profiles) {
        if (query.empty() || matches(p, query)) {
            entries.push_back({&p, lowercase(p.name)});
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.profile->favorite != b.profile->favorite) {
            return a.profile->favorite;
        }
        // std::string compares as unsigned bytes through char_traits<char>::compare.
        return a.key < b.key;
    });
    std::vector<const ConnectionProfile*> result;
    result.reserve(entries.size());
    for (const auto& e : entries) {
        result.push_back(e.profile);
    }
    return result;
}

}  // namespace remote
