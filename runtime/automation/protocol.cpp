#include "runtime/automation/protocol.hpp"

#include <cstdlib>

namespace orvo_automation {
namespace {

using nlohmann::json;
using orvo_actions::resource::ActionSpec;
using orvo_actions::resource::Resource;

const char* class_name(orvo_actions::resource::OperationClass c) {
    switch (c) {
        case orvo_actions::resource::OperationClass::None:
            return "document";
        case orvo_actions::resource::OperationClass::Background:
            return "background";
        case orvo_actions::resource::OperationClass::View:
            return "view";
    }
    return "unknown";
}

json describe_action(const ActionSpec& a) {
    json inputs = json::array();
    for (const auto& input : orvo_actions::resource::derive_input(a)) {
        inputs.push_back({{"name", input.name},
                          {"prompt", input.prompt},
                          {"description", input.description},
                          {"required", input.required}});
    }
    json out = {{"id", a.id},
                {"label", a.label},
                {"description", a.description},
                {"class", class_name(a.operation_class)},
                {"destructive", a.is_destructive},
                {"inputs", std::move(inputs)},
                {"available", !a.unavailable.has_value()}};
    if (a.unavailable) {
        out["unavailable"] = {{"code", a.unavailable->code}, {"message", a.unavailable->message}};
    }
    return out;
}

json describe(const Resource& r) {
    json actions = json::array();
    for (const auto& a : r.actions)
        actions.push_back(describe_action(a));
    json children = json::array();
    for (const auto& c : r.children)
        children.push_back(describe(c));
    return {{"id", r.id},
            {"kind", r.kind},
            {"label", r.label},
            {"actions", std::move(actions)},
            {"children", std::move(children)}};
}

}  // namespace

json describe_resources(const std::vector<Resource>& roots) {
    json list = json::array();
    for (const auto& r : roots)
        list.push_back(describe(r));
    return list;
}

json error_reply(const std::string& message, const std::string& code) {
    json reply = {{"ok", false}, {"error", message}};
    if (!code.empty())
        reply["code"] = code;
    return reply;
}

json ok_reply() {
    return {{"ok", true}};
}

std::string default_socket_path() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/')
        return {};
    return std::string(runtime) + "/orvo/remote.sock";
}

}  // namespace orvo_automation
