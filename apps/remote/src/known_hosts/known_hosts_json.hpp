#pragma once
// The text form of the trust file: a JSON object whose only member `entries` lists the pins.

#include <string>
#include <string_view>

#include "known_hosts/known_hosts.hpp"
#include "known_hosts/store_result.hpp"

namespace remote {

// Unknown members are ignored; a missing member, a wrong type, an empty text or text that is not
// JSON is an error.
StoreResult<KnownHosts> parse_known_hosts(std::string_view text);

// Pretty-printed with two-space indentation, members in the order host, port, identity
// (algorithm, fingerprint), and no trailing newline. Fails only for text that is not UTF-8.
StoreResult<std::string> serialize_known_hosts(const KnownHosts& hosts);

}  // namespace remote
