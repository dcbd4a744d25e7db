#include "known_hosts/known_hosts_json.hpp"

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

namespace remote {
namespace {

using nlohmann::json;

StoreError invalid(const std::string& where, std::string_view problem) {
    return StoreError{"invalid SSH host-key store: " + where + " " + std::string(problem)};
}

// The member `name` of `object` when it is a string; otherwise the error describing why not.
std::optional<StoreError> read_string(const json& object, const char* name,
                                      const std::string& where, std::string& out) {
    const auto it = object.find(name);
    if (it == object.end()) {
        return invalid(where + name, "is missing");
    }
    if (!it->is_string()) {
        return invalid(where + name, "is not a string");
    }
    out = it->get_ref<const std::string&>();
    return std::nullopt;
}

std::optional<StoreError> read_port(const json& object, const std::string& where,
                                    std::uint16_t& out) {
    const auto it = object.find("port");
    if (it == object.end()) {
        return invalid(where + "port", "is missing");
    }
    if (!it->is_number_unsigned() ||
        it->get<std::uint64_t>() > std::numeric_limits<std::uint16_t>::max()) {
        return invalid(where + "port", "is not a port number from 0 to 65535");
    }
    out = static_cast<std::uint16_t>(it->get<std::uint64_t>());
    return std::nullopt;
}

StoreResult<KnownHostEntry> read_entry(const json& item, const std::string& where) {
    if (!item.is_object()) {
        return invalid(where, "is not an object");
    }
    KnownHostEntry entry;
    if (auto e = read_string(item, "host", where + ".", entry.host)) {
        return *e;
    }
    if (auto e = read_port(item, where + ".", entry.port)) {
        return *e;
    }
    const auto identity = item.find("identity");
    if (identity == item.end()) {
        return invalid(where + ".identity", "is missing");
    }
    if (!identity->is_object()) {
        return invalid(where + ".identity", "is not an object");
    }
    const std::string inner = where + ".identity.";
    if (auto e = read_string(*identity, "algorithm", inner, entry.identity.algorithm)) {
        return *e;
    }
    if (auto e = read_string(*identity, "fingerprint", inner, entry.identity.fingerprint)) {
        return *e;
    }
    return entry;
}

}  // namespace

StoreResult<KnownHosts> parse_known_hosts(std::string_view text) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::exception& e) {
        return StoreError{e.what()};
    }
    if (!root.is_object()) {
        return invalid("the file", "does not hold a JSON object");
    }
    const auto entries = root.find("entries");
    if (entries == root.end()) {
        return invalid("entries", "is missing");
    }
    if (!entries->is_array()) {
        return invalid("entries", "is not an array");
    }
    KnownHosts hosts;
    hosts.entries.reserve(entries->size());
    for (std::size_t i = 0; i < entries->size(); ++i) {
        auto entry = read_entry((*entries)[i], "entries[" + std::to_string(i) + "]");
        if (!entry.ok()) {
            return StoreError{entry.error()};
        }
        hosts.entries.push_back(std::move(entry.value()));
    }
    return hosts;
}

StoreResult<std::string> serialize_known_hosts(const KnownHosts& hosts) {
    using ordered = nlohmann::ordered_json;
    ordered entries = ordered::array();
    for (const auto& entry : hosts.entries) {
        ordered identity = ordered::object();
        identity["algorithm"] = entry.identity.algorithm;
        identity["fingerprint"] = entry.identity.fingerprint;
        ordered item = ordered::object();
        item["host"] = entry.host;
        item["port"] = entry.port;
        item["identity"] = std::move(identity);
        entries.push_back(std::move(item));
    }
    ordered root = ordered::object();
    root["entries"] = std::move(entries);
    try {
        return root.dump(2);
    } catch (const ordered::exception& e) {
        return StoreError{e.what()};
    }
}

}  // namespace remote
