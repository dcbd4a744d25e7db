#pragma once
// The automation protocol: one JSON object per line each way.
//   {"request":"resources"}
//   {"request":"invoke","resource":ID,"action":ID,"args":{NAME:TEXT,...}}
// Every reply has "ok"; a failed one carries "error" (and "code" where there is one).

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "runtime/actions/resource.hpp"

namespace orvo_automation {

nlohmann::json describe_resources(const std::vector<orvo_actions::resource::Resource>& roots);

nlohmann::json error_reply(const std::string& message, const std::string& code = "");
nlohmann::json ok_reply();

// Where the endpoint listens: $XDG_RUNTIME_DIR/orvo/remote.sock, or none without a runtime dir.
std::string default_socket_path();

}  // namespace orvo_automation
