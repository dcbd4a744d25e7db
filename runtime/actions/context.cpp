#include "runtime/actions/context.hpp"

namespace orvo_actions::context {

std::string humanize_identifier(std::string_view identifier) {
    std::string out;
    bool first = true;
    for (char c : identifier) {
        if (c == '-' || c == '_' || c == '.') {
            if (!out.empty() && out.back() != ' ')
                out.push_back(' ');
            continue;
        }
        if (first && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        first = false;
        out.push_back(c);
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

ActionContext ActionContext::local_user(std::string application_id, std::string display_name) {
    ActionContext context;
    context.label = humanize_identifier(display_name);
    context.application_id = std::move(application_id);
    context.display_name = std::move(display_name);
    return context;
}

ActionContext ActionContext::enriched_by(
    const orvo_ui::doc::ActorId& actor_id,
    std::vector<orvo_ui::doc::ChangeHash> document_heads) const {
    ActionContext context = *this;
    context.actor = actor_id.to_hex();
    context.heads = std::move(document_heads);
    return context;
}

}  // namespace orvo_actions::context
