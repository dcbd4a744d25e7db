#include "runtime/actions/executor.hpp"

namespace orvo_actions::executor {

std::optional<ActionError> dispatch_by(const LocalTransport& transport,
                                       orvo_ui::doc::Document& document,
                                       const EncodedAction& action) {
    return transport.replicate(document, action);
}

std::optional<ActionError> dispatch_by_with_context(const LocalTransport& transport,
                                                    orvo_ui::doc::Document& document,
                                                    const EncodedAction& action,
                                                    const context::ActionContext& context) {
    if (context.application_id.empty()) {
        return ActionError{"an action context needs the dispatching application's id"};
    }
    return transport.replicate(document, action);
}

}  // namespace orvo_actions::executor
