#pragma once
// Carrying out an encoded document action: decode it with its registered codec and apply it
// to the document.

#include <optional>

#include "runtime/actions/context.hpp"
#include "runtime/actions/encoded.hpp"
#include "runtime/actions/registry.hpp"

namespace orvo_actions::executor {

// The local transport: the action is applied to this replica's document; replication to
// other replicas happens through the document itself.
class LocalTransport {
  public:
    explicit LocalTransport(const registry::Registry& registry) : registry_(registry) {}
    std::optional<ActionError> replicate(orvo_ui::doc::Document& document,
                                         const EncodedAction& action) const {
        return registry_.apply(action, document);
    }

  private:
    const registry::Registry& registry_;
};

// Success is no error.
std::optional<ActionError> dispatch_by(const LocalTransport& transport,
                                       orvo_ui::doc::Document& document,
                                       const EncodedAction& action);
std::optional<ActionError> dispatch_by_with_context(const LocalTransport& transport,
                                                    orvo_ui::doc::Document& document,
                                                    const EncodedAction& action,
                                                    const context::ActionContext& context);

}  // namespace orvo_actions::executor
