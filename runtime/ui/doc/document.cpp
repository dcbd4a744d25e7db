// Reading and local editing of the document; receiving changes is in document_apply.cpp.

#include "runtime/ui/doc/document.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "runtime/ui/utf8.hpp"

namespace orvo_ui::doc {

std::size_t Document::HashHash::operator()(const ChangeHash& h) const {
    std::size_t v = 0;
    std::memcpy(&v, h.data(), sizeof v);
    return v;
}

// Actor ids are random, but both halves are mixed so that ids sharing a prefix still spread.
std::size_t Document::ActorHash::operator()(const ActorId& a) const {
    std::uint64_t lo = 0;
    std::uint64_t hi = 0;
    std::memcpy(&lo, a.bytes.data(), sizeof lo);
    std::memcpy(&hi, a.bytes.data() + sizeof lo, sizeof hi);
    std::uint64_t x = lo ^ (hi * 0x9e3779b97f4a7c15ull);
    x ^= x >> 31;
    x *= 0xbf58476d1ce4e5b9ull;
    return x ^ (x >> 29);
}

Document::Document(ActorId actor) {
    self_ = intern(actor);
    add_object(OpId{}, MapObj{});
}

void Document::add_object(OpId id, Object obj) {
    if (object_index_.insert(id, static_cast<std::uint32_t>(objects_.size())))
        objects_.push_back(std::move(obj));
}

bool Document::less(const OpId& a, const OpId& b) const {
    if (a.counter != b.counter)
        return a.counter < b.counter;
    if (a.actor == b.actor)
        return false;
    return actors_[a.actor] < actors_[b.actor];
}

std::uint32_t Document::intern(const ActorId& actor) {
    if (const std::uint32_t* known = actor_index_.find(actor)) {
        return *known;
    }
    const auto index = static_cast<std::uint32_t>(actors_.size());
    actor_index_.insert(actor, index);
    actors_.push_back(actor);
    by_actor_.emplace_back();
    return index;
}

Result<Document::OpId> Document::find(ObjId id, ObjType type) const {
    OpId internal{};
    if (!id.is_root()) {
        const std::uint32_t* actor = actor_index_.find(id.actor);
        if (actor == nullptr) {
            return make_error(ErrorCode::NoSuchObject, "no such object");
        }
        internal = OpId{id.counter, *actor};
    }
    const Object* found = object(internal);
    if (found == nullptr)
        return make_error(ErrorCode::NoSuchObject, "no such object");
    const bool is_map = std::holds_alternative<MapObj>(*found);
    if (is_map != (type == ObjType::Map)) {
        return make_error(ErrorCode::WrongObjectType,
                          is_map ? "object is not a text" : "object is not a map");
    }
    return internal;
}

Result<std::optional<Value>> Document::get(ObjId map, std::string_view key) const {
    auto m = find(map, ObjType::Map);
    if (!m)
        return m.error();
    const auto& keys = map_of(m.value()).keys;
    auto it = keys.find(key);
    if (it == keys.end())
        return std::optional<Value>{};
    return std::optional<Value>{it->second.entries().front().value};
}

Result<std::vector<Value>> Document::conflicts(ObjId map, std::string_view key) const {
    auto m = find(map, ObjType::Map);
    if (!m)
        return m.error();
    const auto& keys = map_of(m.value()).keys;
    std::vector<Value> out;
    if (auto it = keys.find(key); it != keys.end()) {
        for (const auto& e : it->second.entries())
            out.push_back(e.value);
    }
    return out;
}

Result<std::vector<std::string>> Document::keys(ObjId map) const {
    auto m = find(map, ObjType::Map);
    if (!m)
        return m.error();
    const auto& keys = map_of(m.value()).keys;
    std::vector<const std::string*> sorted;
    sorted.reserve(keys.size());
    for (const auto& [key, entries] : keys)
        sorted.push_back(&key);
    std::sort(sorted.begin(), sorted.end(),
              [](const std::string* a, const std::string* b) { return *a < *b; });
    std::vector<std::string> out;
    out.reserve(sorted.size());
    for (const std::string* key : sorted)
        out.push_back(*key);
    return out;
}

Result<std::string> Document::text(ObjId text) const {
    auto t = find(text, ObjType::Text);
    if (!t)
        return t.error();
    const auto& elems = text_of(t.value()).elems;
    std::string out;
    out.reserve(elems.size());
    for (const auto& e : elems) {
        if (!e.removed)
            utf8::append(out, e.ch);
    }
    return out;
}

Result<std::size_t> Document::length(ObjId text) const {
    auto t = find(text, ObjType::Text);
    if (!t)
        return t.error();
    const auto& elems = text_of(t.value()).elems;
    return static_cast<std::size_t>(
        std::count_if(elems.begin(), elems.end(), [](const Elem& e) { return !e.removed; }));
}

Document::Transaction& Document::begin() {
    if (!tx_) {
        tx_ = Transaction{heads(), max_op_ + 1, max_op_ + 1, {}};
    }
    return *tx_;
}

Document::OpId Document::next_id(std::uint32_t width) {
    Transaction& tx = begin();
    OpId id{tx.next_op, self_};
    tx.next_op += width;
    max_op_ = tx.next_op - 1;
    return id;
}

Result<ObjId> Document::put_object(ObjId map, std::string_view key, ObjType type) {
    auto m = find(map, ObjType::Map);
    if (!m)
        return m.error();
    const auto& keys = map_of(m.value()).keys;
    if (!utf8::valid(key))
        return make_error(ErrorCode::InvalidText, "key is not UTF-8");
    Op op;
    op.kind = type == ObjType::Map ? OpKind::MakeMap : OpKind::MakeText;
    op.obj = ref_of(m.value());
    op.key = std::string(key);
    if (auto it = keys.find(key); it != keys.end()) {
        for (const auto& e : it->second.entries())
            op.pred.push_back(ref_of(e.id));
    }
    OpId id = next_id(1);
    apply_op(op, id, false);
    tx_->ops.push_back(std::move(op));
    return public_id(id);
}

Status Document::put(ObjId map, std::string_view key, Scalar value) {
    auto m = find(map, ObjType::Map);
    if (!m)
        return m.error();
    const auto& keys = map_of(m.value()).keys;
    if (!utf8::valid(key))
        return make_error(ErrorCode::InvalidText, "key is not UTF-8");
    if (const auto* s = std::get_if<std::string>(&value); s != nullptr && !utf8::valid(*s)) {
        return make_error(ErrorCode::InvalidText, "string is not UTF-8");
    }
    Op op;
    op.kind = OpKind::Put;
    op.obj = ref_of(m.value());
    op.key = std::string(key);
    if (auto it = keys.find(key); it != keys.end()) {
        const auto entries = it->second.entries();
        const auto* current = std::get_if<Scalar>(&entries.front().value);
        if (entries.size() == 1 && current != nullptr && same_scalar(*current, value))
            return ok();
        for (const auto& e : entries)
            op.pred.push_back(ref_of(e.id));
    }
    op.value = std::move(value);
    OpId id = next_id(1);
    apply_op(op, id, false);
    tx_->ops.push_back(std::move(op));
    return ok();
}

Status Document::delete_key(ObjId map, std::string_view key) {
    auto m = find(map, ObjType::Map);
    if (!m)
        return m.error();
    const auto& keys = map_of(m.value()).keys;
    auto it = keys.find(key);
    if (it == keys.end())
        return ok();
    Op op;
    op.kind = OpKind::DeleteKey;
    op.obj = ref_of(m.value());
    op.key = std::string(key);
    for (const auto& e : it->second.entries())
        op.pred.push_back(ref_of(e.id));
    OpId id = next_id(1);
    apply_op(op, id, false);
    tx_->ops.push_back(std::move(op));
    return ok();
}

Status Document::splice(ObjId text, std::size_t pos, std::size_t remove, std::string_view insert) {
    auto t = find(text, ObjType::Text);
    if (!t)
        return t.error();
    auto inserted = utf8::decode(insert);
    if (!inserted)
        return make_error(ErrorCode::InvalidText, "inserted text is not UTF-8");
    const auto& elems = text_of(t.value()).elems;
    if (pos + remove < pos)
        return make_error(ErrorCode::OutOfRange, "splice length overflows");

    // Element indices of the visible scalars pos-1 .. pos+remove-1.
    OpRef after{};  // start of the text
    std::vector<OpRef> doomed;
    std::size_t visible = 0;
    for (std::size_t i = 0; i < elems.size() && visible < pos + remove; ++i) {
        if (elems[i].removed)
            continue;
        if (visible + 1 == pos)
            after = ref_of(elems[i].id);
        if (visible >= pos)
            doomed.push_back(ref_of(elems[i].id));
        ++visible;
    }
    if (visible < pos + remove) {
        return make_error(ErrorCode::OutOfRange, "splice beyond the end of the text");
    }
    for (const auto& target : doomed) {
        Op op;
        op.kind = OpKind::Remove;
        op.obj = ref_of(t.value());
        op.ref = target;
        OpId id = next_id(1);
        apply_op(op, id, false);
        tx_->ops.push_back(std::move(op));
    }
    if (!inserted->empty()) {
        Op op;
        op.kind = OpKind::Insert;
        op.obj = ref_of(t.value());
        op.ref = after;
        op.text = std::string(insert);
        op.width = static_cast<std::uint32_t>(inserted->size());
        OpId id = next_id(op.width);
        apply_op(op, id, false);
        tx_->ops.push_back(std::move(op));
    }
    return ok();
}

std::optional<CommittedChange> Document::commit() {
    if (!tx_)
        return std::nullopt;
    Transaction tx = std::move(*tx_);
    tx_.reset();

    // The change's own actor table: the author first, then each actor its ops refer to.
    Change change;
    std::vector<std::uint32_t> local(actors_.size(), UINT32_MAX);
    auto localise = [&](OpRef& r) {
        if (r.counter == 0)
            return;
        if (local[r.actor] == UINT32_MAX) {
            local[r.actor] = static_cast<std::uint32_t>(change.actors.size());
            change.actors.push_back(actors_[r.actor]);
        }
        r.actor = local[r.actor];
    };
    local[self_] = 0;
    change.actors.push_back(actors_[self_]);
    for (auto& op : tx.ops) {
        localise(op.obj);
        for (auto& p : op.pred)
            localise(p);
        localise(op.ref);
    }
    change.seq = by_actor_[self_].size() + 1;
    change.start_op = tx.start_op;
    change.time_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    change.deps = tx.deps;
    change.ops = std::move(tx.ops);

    CommittedChange out{{}, encode_change(change)};
    out.hash = hash_change(out.bytes);
    std::vector<std::uint64_t> clock(actors_.size(), 0);
    for (const auto& d : change.deps) {
        const auto& past = history_[history_index(d)].clock;
        for (std::size_t a = 0; a < past.size(); ++a)
            clock[a] = std::max(clock[a], past[a]);
    }
    clock[self_] = change.seq;
    record(out.hash, out.bytes, self_, change.seq, tx.next_op - 1, std::move(clock), change.deps);
    return out;
}

std::vector<ChangeHash> Document::heads() const {
    return heads_;
}

std::vector<std::vector<std::uint8_t>> Document::changes_since(
    std::span<const ChangeHash> heads) const {
    std::vector<std::uint64_t> known(actors_.size(), 0);
    for (const auto& h : heads) {
        const std::uint32_t* at = by_hash_.find(h);
        if (at == nullptr)
            continue;
        const auto& clock = history_[*at].clock;
        for (std::size_t a = 0; a < clock.size(); ++a)
            known[a] = std::max(known[a], clock[a]);
    }
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& c : history_) {
        if (c.seq > known[c.actor])
            out.push_back(c.bytes);
    }
    return out;
}

void Document::record(const ChangeHash& hash, std::vector<std::uint8_t> bytes, std::uint32_t actor,
                      std::uint64_t seq, std::uint64_t max_op, std::vector<std::uint64_t> clock,
                      const std::vector<ChangeHash>& deps) {
    by_hash_.insert(hash, static_cast<std::uint32_t>(history_.size()));
    by_actor_[actor].push_back(history_.size());
    history_.push_back(Applied{hash, std::move(bytes), actor, seq, max_op, std::move(clock)});
    for (const auto& d : deps)
        std::erase(heads_, d);
    heads_.insert(std::lower_bound(heads_.begin(), heads_.end(), hash), hash);
}

}  // namespace orvo_ui::doc
