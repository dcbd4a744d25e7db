#pragma once
// The action host: how an application dispatches typed document actions. It checks the action
// first, records the document heads before and after, runs the executor and keeps a report
// that the framework takes once.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/actions/context.hpp"
#include "runtime/actions/executor.hpp"
#include "runtime/actions/registry.hpp"

namespace orvo_ui {

namespace bound_dispatch {

struct TypedActionReport {
    std::string kind;
    orvo_actions::EncodedAction action;
    std::string actor;
    std::vector<doc::ChangeHash> heads_before;
    std::vector<doc::ChangeHash> heads_after;
    std::optional<orvo_actions::ActionError> error;
};

// Refuses an action whose payload type is not the kind it is dispatched as, or whose kind
// has no codec.
std::optional<orvo_actions::ActionError> typed_action_before(
    const orvo_actions::registry::Registry& registry, std::string_view kind,
    const orvo_actions::EncodedAction& action);

TypedActionReport report_typed_action(std::string_view kind,
                                      const orvo_actions::EncodedAction& action,
                                      const orvo_actions::context::ActionContext& context,
                                      std::vector<doc::ChangeHash> heads_after,
                                      std::optional<orvo_actions::ActionError> error);

}  // namespace bound_dispatch

class ActionHost {
  public:
    orvo_actions::registry::Registry& registry() { return registry_; }
    const orvo_actions::registry::Registry& registry() const { return registry_; }

    // Dispatches on the document; success is no error. Failures are also logged as the
    // warning "action dispatch failed".
    std::optional<orvo_actions::ActionError> dispatch_with_context(
        doc::Document& document, std::string_view kind, const orvo_actions::EncodedAction& action,
        const orvo_actions::context::ActionContext& context);

    // The report of the last dispatch, handed over once.
    std::optional<bound_dispatch::TypedActionReport> take_report() {
        auto report = std::move(pending_report_);
        pending_report_.reset();
        return report;
    }

  private:
    orvo_actions::registry::Registry registry_;
    std::optional<bound_dispatch::TypedActionReport> pending_report_;
};

}  // namespace orvo_ui
