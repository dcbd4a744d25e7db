#pragma once
// Who dispatches an action, and against which state of the document.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/doc/types.hpp"

namespace orvo_actions::context {

// "send-text" → "Send text", "remote.action" → "Remote action": a label for an identifier.
std::string humanize_identifier(std::string_view identifier);

struct ActionContext {
    std::string application_id;  // reverse-domain id of the dispatching application
    std::string display_name;    // "Remote"
    std::string label;           // humanized application name
    // Filled by enriched_by: the document's actor and heads when the action was dispatched.
    std::string actor;
    std::vector<orvo_ui::doc::ChangeHash> heads;

    static ActionContext local_user(std::string application_id, std::string display_name);
    ActionContext enriched_by(const orvo_ui::doc::ActorId& actor,
                              std::vector<orvo_ui::doc::ChangeHash> heads) const;
};

}  // namespace orvo_actions::context
