#include "actions/resources.hpp"

#include <cstdio>
#include <cstdlib>

#include "actions/apply.hpp"
#include "profile/validation.hpp"

namespace remote {
namespace {

using orvo_actions::ActionError;
using orvo_actions::params::ActionArgs;
using orvo_actions::resource::ActionSpec;
using orvo_actions::resource::OperationClass;
using orvo_actions::resource::PayloadBuilder;
using orvo_actions::resource::Resource;

EncodedAction operation(const RemoteOperation& op) {
    return encode_operation(op);
}

ActionSpec operation_action(std::string id, std::string label, OperationClass cls,
                            std::variant<EncodedAction, PayloadBuilder> payload) {
    ActionSpec spec = ActionSpec::make(std::move(id), std::move(label), cls, std::move(payload));
    spec.enforced_type = std::string(kOperationTypeName);
    return spec;
}

ActionSpec document_action(std::string id, std::string label, const RemoteAction& action) {
    return ActionSpec::make(std::move(id), std::move(label), OperationClass::None,
                            encode_action(action));
}

ActionSpec connect_action(const ConnectionProfile& p) {
    const TransportAvailability availability = transport_availability(p);
    ActionSpec spec = operation_action("connect", "Connect", OperationClass::Background,
                                       operation({RemoteOperation::Connect{p.id}}))
                          .with_description("Open a live session to this saved connection. " +
                                            std::string(availability_text(availability, p.kind)))
                          .with_contract({"network", "session"}, {0, 2, 0, 3, 1});
    if (availability != TransportAvailability::Ready) {
        std::string message(availability_text(availability, p.kind));
        if (availability == TransportAvailability::InvalidProfile) {
            if (auto problem = target_problem(p.kind, p.host, p.auth))
                message = *problem;
        }
        spec = std::move(spec).unavailable_because(std::string(availability_code(availability)),
                                                   std::move(message));
    }
    return spec;
}

ActionSpec rename_action(const Uuid& id) {
    PayloadBuilder build =
        [id](const ActionArgs& args) -> std::variant<EncodedAction, ActionError> {
        return encode_action({RemoteAction::RenameConnection{id, args.text("value").value_or("")}});
    };
    return ActionSpec::make("rename", "Rename connection", OperationClass::None, std::move(build))
        .with_input({"value", "New name", "connection name", "", false});
}

Resource profile_resource(const ConnectionProfile& p) {
    Resource r{
        "remote.connection:" + p.id.to_string(), "remote.connection", display_name(p), {}, {}};
    return std::move(r)
        .with_action(operation_action("open", "Open connection settings", OperationClass::View,
                                      operation({RemoteOperation::EditConnection{p.id}})))
        .with_action(connect_action(p))
        .with_action(rename_action(p.id))
        .with_action(document_action("favorite",
                                     p.favorite ? "Remove from favourites" : "Add to favourites",
                                     {RemoteAction::SetFavorite{p.id, !p.favorite}}))
        .with_action(
            document_action("delete", "Delete connection", {RemoteAction::DeleteConnection{p.id}})
                .destructive());
}

}  // namespace

void register_codecs(orvo_actions::registry::Registry& registry) {
    registry.register_codec<RemoteAction>(
        std::string(kActionTypeName),
        [](std::string_view json) -> std::variant<RemoteAction, std::string> {
            auto decoded = decode_action(json);
            if (auto* action = std::get_if<RemoteAction>(&decoded))
                return std::move(*action);
            return std::get<PayloadError>(decoded).message;
        },
        [](const RemoteAction& action, orvo_ui::doc::Document& document) {
            apply_action(action, document);
        },
        [](const RemoteAction& action) { return encode_action(action).json; });
}

std::set<std::string> operation_types() {
    return {std::string(kOperationTypeName)};
}

std::vector<Resource> connection_resources(const ProfileDocument& document) {
    Resource root{"remote.connections", "remote.connection-list", "Remote connections", {}, {}};
    root = std::move(root)
               .with_action(operation_action("open", "Show connections", OperationClass::View,
                                             operation({RemoteOperation::ShowConnections{}})))
               .with_action(operation_action("new", "New connection", OperationClass::View,
                                             operation({RemoteOperation::NewConnectionForm{}})));
    for (const auto& p : read_profiles(document)) {
        root = std::move(root).with_child(profile_resource(p));
    }
    return {std::move(root)};
}

Resource session_resource(const ConnectionProfile& p, bool ssh_connected,
                          const std::optional<PendingHostKeyReview>& review) {
    const Uuid id = p.id;
    Resource r{"remote.session:" + id.to_string(), "remote.session", p.name + " session", {}, {}};
    r = std::move(r).with_action(operation_action("disconnect", "Disconnect session",
                                                  OperationClass::Background,
                                                  operation({RemoteOperation::Disconnect{id}}))
                                     .with_contract({"network", "session"}, {0, 0, 0, 1, 3}));

    PayloadBuilder send = [id](const ActionArgs& args) -> std::variant<EncodedAction, ActionError> {
        return operation({RemoteOperation::SendText{id, args.text("text").value_or("")}});
    };
    ActionSpec send_text = operation_action("send-text", "Send text to session",
                                            OperationClass::Background, std::move(send))
                               .with_input({"text", "command or text", "",
                                            "Text to deliver to the connected SSH terminal", true})
                               .with_contract({"remote-input", "session"}, {0, 2, 0, 3, 3});
    if (!ssh_connected) {
        send_text = std::move(send_text).unavailable_because(
            "terminal_not_connected", "Text input requires a connected SSH terminal");
    }
    r = std::move(r).with_action(std::move(send_text));

    if (review && review->kind == PendingHostKeyReview::Kind::Unknown) {
        r = std::move(r).with_action(
            operation_action("trust-host-key", "Trust SSH host key", OperationClass::Background,
                             operation({RemoteOperation::TrustSshHostKey{id, review->observed}}))
                .with_description("Explicitly trust " + review->observed.algorithm + " " +
                                  review->observed.fingerprint +
                                  " for this device only after out-of-band verification.")
                .with_contract({"ssh", "host-key", "device-private"}, {0, 2, 0, 3, 3}));
    } else if (review && review->kind == PendingHostKeyReview::Kind::Changed) {
        r = std::move(r).with_action(
            operation_action("forget-host-key", "Forget SSH host key", OperationClass::Background,
                             operation({RemoteOperation::ForgetSshHostKey{id}}))
                .with_description("Remove this device's stale SSH host-key pin; reconnect to "
                                  "inspect a replacement key.")
                .with_contract({"ssh", "host-key", "device-private"}, {0, 2, 0, 2, 3}));
    }
    return r;
}

}  // namespace remote
