#include "doc/profile_store.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>

namespace remote {
namespace {

namespace d = orvo_ui::doc;

constexpr std::string_view kConnections = "connections";

[[noreturn]] void stop(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    std::abort();
}

std::optional<d::Value> lookup(const ProfileDocument& doc, const d::ObjId& object,
                               std::string_view key) {
    auto result = doc.get(object, key);
    if (!result.ok()) {
        return std::nullopt;
    }
    return result.value();
}

std::optional<d::ObjId> object_at(const ProfileDocument& doc, const d::ObjId& object,
                                  std::string_view key, d::ObjType type) {
    const auto value = lookup(doc, object, key);
    if (!value)
        return std::nullopt;
    const auto* ref = std::get_if<d::ObjRef>(&*value);
    if (ref == nullptr || ref->type != type)
        return std::nullopt;
    return ref->id;
}

const d::Scalar* scalar_of(const std::optional<d::Value>& value) {
    return value ? std::get_if<d::Scalar>(&*value) : nullptr;
}

std::string read_string(const ProfileDocument& doc, const d::ObjId& entry, std::string_view key) {
    const auto value = lookup(doc, entry, key);
    if (const auto* s = scalar_of(value)) {
        if (const auto* text = std::get_if<std::string>(s))
            return *text;
    }
    return {};
}

std::int64_t saturate(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= 9223372036854775807.0)
        return std::numeric_limits<std::int64_t>::max();
    if (v <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(std::trunc(v));
}

std::uint16_t read_port(const ProfileDocument& doc, const d::ObjId& entry) {
    const auto value = lookup(doc, entry, "port");
    const auto* s = scalar_of(value);
    if (s == nullptr)
        return 0;
    std::int64_t wide = 0;
    if (const auto* i = std::get_if<std::int64_t>(s)) {
        wide = *i;
    } else if (const auto* u = std::get_if<std::uint64_t>(s)) {
        wide = static_cast<std::int64_t>(*u);
    } else if (const auto* t = std::get_if<d::Timestamp>(s)) {
        wide = t->millis;
    } else if (const auto* c = std::get_if<d::Counter>(s)) {
        wide = c->value;
    } else if (const auto* f = std::get_if<double>(s)) {
        wide = saturate(*f);
    } else {
        return 0;
    }
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(wide) & 0xFFFF);
}

ConnectionProfile read_entry(const ProfileDocument& doc, const Uuid& id, const d::ObjId& entry) {
    ConnectionProfile p;
    p.id = id;
    if (const auto name = object_at(doc, entry, "name", d::ObjType::Text)) {
        auto text = doc.text(*name);
        if (text.ok())
            p.name = text.value();
    }
    p.host = read_string(doc, entry, "host");
    p.user = read_string(doc, entry, "user");
    p.group = read_string(doc, entry, "group");
    p.last_used = read_string(doc, entry, "last_used");
    p.port = read_port(doc, entry);

    const std::string kind = read_string(doc, entry, "kind");
    p.kind = kind == "VNC"    ? ConnectionKind::Vnc
             : kind == "RDP"  ? ConnectionKind::Rdp
             : kind == "Orvo" ? ConnectionKind::Orvo
                              : ConnectionKind::Ssh;
    const std::string auth = read_string(doc, entry, "auth");
    p.auth = auth == "Public key"        ? AuthMethod::PublicKey
             : auth == "Device identity" ? AuthMethod::DeviceIdentity
                                         : AuthMethod::Password;
    const std::string presence = read_string(doc, entry, "presence");
    p.presence = presence == "online"    ? Presence::Online
                 : presence == "offline" ? Presence::Offline
                                         : Presence::Unknown;
    p.favorite = false;
    const auto favorite = lookup(doc, entry, "favorite");
    if (const auto* s = scalar_of(favorite)) {
        if (const auto* b = std::get_if<bool>(s))
            p.favorite = *b;
    }
    return p;
}

// Every "connections" map at the root, the visible one first. Two replicas that both started
// empty each create the map; the merge keeps one visible and the other as a concurrent value.
// Profiles saved into either must stay readable, so readers and writers look at all of them.
std::vector<d::ObjId> connection_maps(const ProfileDocument& doc) {
    std::vector<d::ObjId> maps;
    auto values = doc.conflicts(d::kRoot, kConnections);
    if (!values.ok()) {
        return maps;
    }
    for (const auto& value : values.value()) {
        const auto* ref = std::get_if<d::ObjRef>(&value);
        if (ref != nullptr && ref->type == d::ObjType::Map) {
            maps.push_back(ref->id);
        }
    }
    return maps;
}

// The map of the profile with this key, searching the visible connections map first.
std::optional<d::ObjId> find_entry(const ProfileDocument& doc, const std::string& key) {
    for (const auto& map : connection_maps(doc)) {
        if (auto entry = object_at(doc, map, key, d::ObjType::Map)) {
            return entry;
        }
    }
    return std::nullopt;
}

d::ObjId ensure_connections(ProfileDocument& doc) {
    if (auto existing = object_at(doc, d::kRoot, kConnections, d::ObjType::Map)) {
        return *existing;
    }
    auto created = doc.put_object(d::kRoot, kConnections, d::ObjType::Map);
    if (!created.ok())
        stop("put_object connections on root never fails");
    return created.value();
}

void put_if_changed(ProfileDocument& doc, const d::ObjId& entry, std::string_view key,
                    d::Scalar value) {
    const auto stored = lookup(doc, entry, key);
    if (const auto* current = scalar_of(stored)) {
        if (d::same_scalar(*current, value))
            return;
    }
    (void)doc.put(entry, key, std::move(value));
}

void splice_name(ProfileDocument& doc, const d::ObjId& entry, std::string_view name) {
    auto text = object_at(doc, entry, "name", d::ObjType::Text);
    if (!text) {
        auto created = doc.put_object(entry, "name", d::ObjType::Text);
        if (!created.ok())
            stop("put_object name never fails");
        text = created.value();
    }
    (void)d::splice_text_diffed(doc, *text, name);
}

}  // namespace

std::vector<ConnectionProfile> read_profiles(const ProfileDocument& document) {
    std::vector<ConnectionProfile> profiles;
    if (!object_at(document, d::kRoot, kConnections, d::ObjType::Map)) {
        return profiles;
    }
    // Keys of every concurrent connections map, ascending; a profile present in several maps
    // is read from the visible one. Nearly always there is one map, whose keys come sorted.
    std::vector<std::pair<std::string, d::ObjId>> entries;
    const auto maps = connection_maps(document);
    if (maps.size() == 1) {
        if (auto keys = document.keys(maps.front()); keys.ok()) {
            entries.reserve(keys.value().size());
            for (auto& key : keys.value()) {
                if (auto entry = object_at(document, maps.front(), key, d::ObjType::Map)) {
                    entries.emplace_back(std::move(key), *entry);
                }
            }
        }
    } else {
        std::map<std::string, d::ObjId> merged;
        for (const auto& map : maps) {
            auto keys = document.keys(map);
            if (!keys.ok()) {
                continue;
            }
            for (const auto& key : keys.value()) {
                if (merged.count(key) != 0) {
                    continue;
                }
                if (auto entry = object_at(document, map, key, d::ObjType::Map)) {
                    merged.emplace(key, *entry);
                }
            }
        }
        entries.assign(merged.begin(), merged.end());
    }
    profiles.reserve(entries.size());
    for (const auto& [key, entry] : entries) {
        if (const auto id = Uuid::parse(key)) {
            profiles.push_back(read_entry(document, *id, entry));
        }
    }
    return profiles;
}

void write_profile(ProfileDocument& document, const ConnectionProfile& profile) {
    const d::ObjId connections = ensure_connections(document);
    const std::string key = profile.id.to_string();
    auto entry = find_entry(document, key);
    if (!entry) {
        auto created = document.put_object(connections, key, d::ObjType::Map);
        if (!created.ok()) {
            stop("put_object connection map never fails");
        }
        entry = created.value();
    }
    splice_name(document, *entry, profile.name);
    put_if_changed(document, *entry, "host", profile.host);
    put_if_changed(document, *entry, "port", static_cast<std::int64_t>(profile.port));
    put_if_changed(document, *entry, "user", profile.user);
    put_if_changed(document, *entry, "kind", std::string(kind_document_text(profile.kind)));
    put_if_changed(document, *entry, "auth", std::string(auth_document_text(profile.auth)));
    put_if_changed(document, *entry, "last_used", profile.last_used);
    put_if_changed(document, *entry, "presence",
                   std::string(presence_document_text(profile.presence)));
    put_if_changed(document, *entry, "group", profile.group);
    put_if_changed(document, *entry, "favorite", profile.favorite);
}

void rename_profile(ProfileDocument& document, const Uuid& id, std::string_view name) {
    (void)ensure_connections(document);
    if (const auto entry = find_entry(document, id.to_string())) {
        splice_name(document, *entry, name);
    }
}

void set_favorite(ProfileDocument& document, const Uuid& id, bool favorite) {
    (void)ensure_connections(document);
    if (const auto entry = find_entry(document, id.to_string())) {
        put_if_changed(document, *entry, "favorite", favorite);
    }
}

void delete_profile(ProfileDocument& document, const Uuid& id) {
    (void)ensure_connections(document);
    const std::string key = id.to_string();
    for (const auto& map : connection_maps(document)) {
        if (object_at(document, map, key, d::ObjType::Map)) {
            (void)document.delete_key(map, key);
        }
    }
}

}  // namespace remote
