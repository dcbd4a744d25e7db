#include "runtime/ui/action_host.hpp"

#include <cstdio>

namespace orvo_ui {
namespace bound_dispatch {

std::optional<orvo_actions::ActionError> typed_action_before(
    const orvo_actions::registry::Registry& registry, std::string_view kind,
    const orvo_actions::EncodedAction& action) {
    if (action.type_name != kind) {
        return orvo_actions::ActionError{"action of type " + action.type_name + " dispatched as " +
                                         std::string(kind)};
    }
    if (!registry.has(kind)) {
        return orvo_actions::ActionError{"no codec is registered for " + std::string(kind)};
    }
    return std::nullopt;
}

TypedActionReport report_typed_action(std::string_view kind,
                                      const orvo_actions::EncodedAction& action,
                                      const orvo_actions::context::ActionContext& context,
                                      std::vector<doc::ChangeHash> heads_after,
                                      std::optional<orvo_actions::ActionError> error) {
    return TypedActionReport{std::string(kind),      action,          context.actor, context.heads,
                             std::move(heads_after), std::move(error)};
}

}  // namespace bound_dispatch

std::optional<orvo_actions::ActionError> ActionHost::dispatch_with_context(
    doc::Document& document, std::string_view kind, const orvo_actions::EncodedAction& action,
    const orvo_actions::context::ActionContext& context) {
    std::optional<orvo_actions::ActionError> error =
        bound_dispatch::typed_action_before(registry_, kind, action);
    const auto enriched = context.enriched_by(document.actor_id(), document.heads());
    if (!error) {
        const orvo_actions::executor::LocalTransport transport(registry_);
        error =
            orvo_actions::executor::dispatch_by_with_context(transport, document, action, enriched);
    }
    pending_report_ =
        bound_dispatch::report_typed_action(kind, action, enriched, document.heads(), error);
    if (error) {
        std::fprintf(stderr, "warning: action dispatch failed: %s\n", error->message.c_str());
    }
    return error;
}

}  // namespace orvo_ui
