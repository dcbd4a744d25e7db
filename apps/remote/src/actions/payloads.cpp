#include "actions/payloads.hpp"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace remote {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;

// ---------------------------------------------------------------- encoding

ordered_json with_fields(std::string_view variant, ordered_json fields) {
    ordered_json out = ordered_json::object();
    out[std::string(variant)] = std::move(fields);
    return out;
}

std::string dump(const ordered_json& value) {
    // Invalid UTF-8 in a text is replaced rather than thrown about: encoding never fails.
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

ordered_json encode(const RemoteAction::UpsertConnection& a) {
    ordered_json f = ordered_json::object();
    f["id"] = a.id.to_string();
    f["name"] = a.name;
    f["host"] = a.host;
    f["port"] = a.port;
    f["user"] = a.user;
    f["kind"] = std::string(kind_payload_name(a.kind));
    f["auth"] = std::string(auth_payload_name(a.auth));
    f["group"] = a.group;
    return with_fields("UpsertConnection", std::move(f));
}
ordered_json encode(const RemoteAction::RenameConnection& a) {
    ordered_json f = ordered_json::object();
    f["id"] = a.id.to_string();
    f["name"] = a.name;
    return with_fields("RenameConnection", std::move(f));
}
ordered_json encode(const RemoteAction::SetFavorite& a) {
    ordered_json f = ordered_json::object();
    f["id"] = a.id.to_string();
    f["favorite"] = a.favorite;
    return with_fields("SetFavorite", std::move(f));
}
ordered_json encode(const RemoteAction::DeleteConnection& a) {
    ordered_json f = ordered_json::object();
    f["id"] = a.id.to_string();
    return with_fields("DeleteConnection", std::move(f));
}

ordered_json connection_only(std::string_view variant, const Uuid& id) {
    ordered_json f = ordered_json::object();
    f["connection_id"] = id.to_string();
    return with_fields(variant, std::move(f));
}

ordered_json encode(const RemoteOperation::ShowConnections&) {
    return "ShowConnections";
}
ordered_json encode(const RemoteOperation::NewConnectionForm&) {
    return "NewConnectionForm";
}
ordered_json encode(const RemoteOperation::EditConnection& o) {
    return connection_only("EditConnection", o.connection_id);
}
ordered_json encode(const RemoteOperation::Connect& o) {
    return connection_only("Connect", o.connection_id);
}
ordered_json encode(const RemoteOperation::Disconnect& o) {
    return connection_only("Disconnect", o.connection_id);
}
ordered_json encode(const RemoteOperation::SendText& o) {
    ordered_json f = ordered_json::object();
    f["connection_id"] = o.connection_id.to_string();
    f["text"] = o.text;
    return with_fields("SendText", std::move(f));
}
ordered_json encode(const RemoteOperation::TrustSshHostKey& o) {
    ordered_json identity = ordered_json::object();
    identity["algorithm"] = o.observed.algorithm;
    identity["fingerprint"] = o.observed.fingerprint;
    ordered_json f = ordered_json::object();
    f["connection_id"] = o.connection_id.to_string();
    f["observed"] = std::move(identity);
    return with_fields("TrustSshHostKey", std::move(f));
}
ordered_json encode(const RemoteOperation::ForgetSshHostKey& o) {
    return connection_only("ForgetSshHostKey", o.connection_id);
}

// ---------------------------------------------------------------- strict decoding

struct Failure {
    std::string message;
};

// Parses JSON and refuses an object that names the same member twice, at any depth.
json parse_strict(std::string_view text) {
    std::vector<std::set<std::string>> open_objects;
    std::string duplicate;
    json value =
        json::parse(text.begin(), text.end(), [&](int, json::parse_event_t event, json& parsed) {
            if (event == json::parse_event_t::object_start) {
                open_objects.emplace_back();
            } else if (event == json::parse_event_t::object_end) {
                if (!open_objects.empty())
                    open_objects.pop_back();
            } else if (event == json::parse_event_t::key && !open_objects.empty()) {
                const std::string key = parsed.get<std::string>();
                if (!open_objects.back().insert(key).second && duplicate.empty()) {
                    duplicate = key;
                }
            }
            return true;
        });
    if (!duplicate.empty()) {
        throw Failure{"duplicate field `" + duplicate + "`"};
    }
    return value;
}

const json& field(const json& fields, const char* name) {
    const auto it = fields.find(name);
    if (it == fields.end()) {
        throw Failure{std::string("missing field `") + name + "`"};
    }
    return *it;
}

std::string text_field(const json& fields, const char* name) {
    const json& v = field(fields, name);
    if (!v.is_string()) {
        throw Failure{std::string("invalid type for `") + name + "`, expected a string"};
    }
    return v.get<std::string>();
}

Uuid uuid_field(const json& fields, const char* name) {
    const std::string text = text_field(fields, name);
    const auto id = Uuid::parse(text);
    if (!id) {
        throw Failure{std::string("invalid UUID in `") + name + "`: " + text};
    }
    return *id;
}

bool bool_field(const json& fields, const char* name) {
    const json& v = field(fields, name);
    if (!v.is_boolean()) {
        throw Failure{std::string("invalid type for `") + name + "`, expected a boolean"};
    }
    return v.get<bool>();
}

std::uint16_t port_field(const json& fields, const char* name) {
    const json& v = field(fields, name);
    if (!v.is_number_integer() ||
        (v.is_number_unsigned() ? v.get<std::uint64_t>() > 65535
                                : v.get<std::int64_t>() < 0 || v.get<std::int64_t>() > 65535)) {
        throw Failure{std::string("invalid value for `") + name + "`, expected an integer 0-65535"};
    }
    return static_cast<std::uint16_t>(v.get<std::int64_t>());
}

// The single member {"Variant": {...}} or the string "Variant".
std::pair<std::string, const json*> variant_of(const json& value) {
    if (value.is_string()) {
        return {value.get<std::string>(), nullptr};
    }
    if (!value.is_object() || value.size() != 1) {
        throw Failure{"expected a variant name or an object with exactly one member"};
    }
    const auto it = value.begin();
    if (!it.value().is_object()) {
        throw Failure{"invalid type for `" + it.key() + "`, expected an object of fields"};
    }
    return {it.key(), &it.value()};
}

const json& needs_fields(const std::string& name, const json* fields) {
    if (fields == nullptr) {
        throw Failure{"variant `" + name + "` needs its fields"};
    }
    return *fields;
}

RemoteAction decode_action_value(const json& value) {
    const auto [name, maybe_fields] = variant_of(value);
    if (name == "UpsertConnection") {
        const json& f = needs_fields(name, maybe_fields);
        RemoteAction::UpsertConnection a;
        a.id = uuid_field(f, "id");
        a.name = text_field(f, "name");
        a.host = text_field(f, "host");
        a.port = port_field(f, "port");
        a.user = text_field(f, "user");
        const std::string kind = text_field(f, "kind");
        const auto k = kind_from_payload_name(kind);
        if (!k)
            throw Failure{"unknown variant `" + kind + "` for `kind`"};
        a.kind = *k;
        const std::string auth = text_field(f, "auth");
        const auto m = auth_from_payload_name(auth);
        if (!m)
            throw Failure{"unknown variant `" + auth + "` for `auth`"};
        a.auth = *m;
        a.group = text_field(f, "group");
        return {a};
    }
    if (name == "RenameConnection") {
        const json& f = needs_fields(name, maybe_fields);
        return {RemoteAction::RenameConnection{uuid_field(f, "id"), text_field(f, "name")}};
    }
    if (name == "SetFavorite") {
        const json& f = needs_fields(name, maybe_fields);
        return {RemoteAction::SetFavorite{uuid_field(f, "id"), bool_field(f, "favorite")}};
    }
    if (name == "DeleteConnection") {
        const json& f = needs_fields(name, maybe_fields);
        return {RemoteAction::DeleteConnection{uuid_field(f, "id")}};
    }
    throw Failure{"unknown variant `" + name + "`"};
}

RemoteOperation decode_operation_value(const json& value) {
    const auto [name, maybe_fields] = variant_of(value);
    if (maybe_fields == nullptr) {
        if (name == "ShowConnections")
            return {RemoteOperation::ShowConnections{}};
        if (name == "NewConnectionForm")
            return {RemoteOperation::NewConnectionForm{}};
    }
    if (name == "ShowConnections" || name == "NewConnectionForm") {
        throw Failure{"variant `" + name + "` takes no fields"};
    }
    const json& f = needs_fields(name, maybe_fields);
    if (name == "EditConnection") {
        return {RemoteOperation::EditConnection{uuid_field(f, "connection_id")}};
    }
    if (name == "Connect")
        return {RemoteOperation::Connect{uuid_field(f, "connection_id")}};
    if (name == "Disconnect")
        return {RemoteOperation::Disconnect{uuid_field(f, "connection_id")}};
    if (name == "SendText") {
        return {RemoteOperation::SendText{uuid_field(f, "connection_id"), text_field(f, "text")}};
    }
    if (name == "TrustSshHostKey") {
        const Uuid id = uuid_field(f, "connection_id");
        const json& observed = field(f, "observed");
        if (!observed.is_object()) {
            throw Failure{"invalid type for `observed`, expected an object"};
        }
        return {RemoteOperation::TrustSshHostKey{
            id, HostKeyIdentity{text_field(observed, "algorithm"),
                                text_field(observed, "fingerprint")}}};
    }
    if (name == "ForgetSshHostKey") {
        return {RemoteOperation::ForgetSshHostKey{uuid_field(f, "connection_id")}};
    }
    throw Failure{"unknown variant `" + name + "`"};
}

template <class T, class Decode>
std::variant<T, PayloadError> decode_with(std::string_view text, Decode decode) {
    try {
        return decode(parse_strict(text));
    } catch (const Failure& failure) {
        return PayloadError{failure.message};
    } catch (const json::exception& error) {
        return PayloadError{error.what()};
    }
}

}  // namespace

EncodedAction encode_action(const RemoteAction& action) {
    const ordered_json value = std::visit([](const auto& a) { return encode(a); }, action.value);
    return {std::string(kActionTypeName), dump(value)};
}

Decoded<RemoteAction> decode_action(std::string_view json_text) {
    return decode_with<RemoteAction>(json_text, decode_action_value);
}

EncodedAction encode_operation(const RemoteOperation& operation) {
    const ordered_json value = std::visit([](const auto& o) { return encode(o); }, operation.value);
    return {std::string(kOperationTypeName), dump(value)};
}

std::variant<std::monostate, RemoteOperation, PayloadError> decode_operation(
    std::string_view type_name, std::string_view json_text) {
    if (type_name != kOperationTypeName) {
        return std::monostate{};
    }
    auto decoded = decode_with<RemoteOperation>(json_text, decode_operation_value);
    if (auto* op = std::get_if<RemoteOperation>(&decoded))
        return std::move(*op);
    return std::get<PayloadError>(decoded);
}

RemoteAction upsert_from_profile(const ConnectionProfile& p) {
    return {RemoteAction::UpsertConnection{p.id, p.name, p.host, p.port, p.user, p.kind, p.auth,
                                           p.group}};
}

}  // namespace remote
