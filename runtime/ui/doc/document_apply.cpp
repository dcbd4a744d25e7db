// Applying operations to the document state, and receiving changes from other replicas.

#include <algorithm>

#include "runtime/ui/doc/document.hpp"
#include "runtime/ui/utf8.hpp"

namespace orvo_ui::doc {
namespace {

bool is_map_op(OpKind k) {
    return k <= OpKind::DeleteKey;
}

Error invalid(const std::string& why) {
    return make_error(ErrorCode::InvalidChange, "invalid change: " + why);
}

}  // namespace

void Document::apply_op(Object& target, Op& op, OpId id, bool consume) {
    if (is_map_op(op.kind)) {
        apply_map_op(std::get<MapObj>(target), op, id, consume);
        return;
    }
    auto& text = std::get<TextObj>(target);
    if (op.kind == OpKind::Insert) {
        integrate_insert(text, op, id);
        return;
    }
    const OpId removed = id_of(op.ref);
    for (auto& e : text.elems) {
        if (e.id == removed) {
            e.removed = true;
            return;
        }
    }
}

void Document::apply_map_op(MapObj& map, Op& op, OpId id, bool consume) {
    auto slot = map.keys.find(op.key);
    if (slot == map.keys.end()) {
        if (op.kind == OpKind::DeleteKey)
            return;
        slot = map.keys.emplace(consume ? std::move(op.key) : op.key, Register{}).first;
    }
    Register& entries = slot->second;
    // The writer saw these values; everything else at the key was concurrent and stays.
    entries.remove_if([&](const Entry& e) {
        return std::find(op.pred.begin(), op.pred.end(), OpRef{e.id.counter, e.id.actor}) !=
               op.pred.end();
    });
    Value value;
    switch (op.kind) {
        case OpKind::MakeMap:
            add_object(id, MapObj{});
            value = ObjRef{ObjType::Map, public_id(id)};
            break;
        case OpKind::MakeText:
            add_object(id, TextObj{});
            value = ObjRef{ObjType::Text, public_id(id)};
            break;
        case OpKind::Put:
            value = consume ? std::move(op.value) : op.value;
            break;
        default:
            if (entries.empty())
                map.keys.erase(slot);
            return;
    }
    entries.insert(Entry{id, std::move(value)},
                   [&](const Entry& a, const Entry& b) { return less(b.id, a.id); });
}

// RGA: the run goes after its reference, past every element with a greater id (those were
// inserted concurrently at the same place, or after them, and sort first).
void Document::integrate_insert(TextObj& text, const Op& op, OpId id) {
    auto& elems = text.elems;
    std::size_t i = 0;
    if (op.ref.counter != 0) {
        const OpId ref = id_of(op.ref);
        while (i < elems.size() && elems[i].id != ref)
            ++i;
        i = std::min(i + 1, elems.size());  // the reference was checked to exist
    }
    while (i < elems.size() && less(id, elems[i].id))
        ++i;
    auto scalars = utf8::decode(op.text);
    std::vector<Elem> run;
    run.reserve(scalars->size());
    for (std::size_t k = 0; k < scalars->size(); ++k) {
        run.push_back(Elem{OpId{id.counter + k, id.actor}, (*scalars)[k], false});
    }
    elems.insert(elems.begin() + static_cast<std::ptrdiff_t>(i), run.begin(), run.end());
}

// Checks everything that could make the change unfit for this document before anything is
// touched, so that a refused change leaves no trace. `actor_map` maps the change's actor
// indices to document indices; actors new to the document have indices past the end.
Status Document::check_change(const Change& change, const std::vector<std::uint32_t>& actor_map,
                              std::uint64_t& max_op, std::vector<std::uint64_t>& clock) const {
    const std::uint32_t author = actor_map[0];
    const std::size_t known = author < by_actor_.size() ? by_actor_[author].size() : 0;
    if (change.seq <= known) {
        return make_error(ErrorCode::ConflictingChange,
                          "conflicting change: actor " + change.actors[0].to_hex() +
                              " already has a different change " + std::to_string(change.seq));
    }
    clock.assign(actors_.size() + change.actors.size(), 0);
    std::uint64_t past_max = 0;
    for (const auto& d : change.deps) {
        const auto& past = history_[history_index(d)];
        for (std::size_t a = 0; a < past.clock.size(); ++a) {
            clock[a] = std::max(clock[a], past.clock[a]);
        }
        past_max = std::max(past_max, past.max_op);
    }
    if (clock[author] != change.seq - 1) {
        return invalid("it does not follow its author's previous change");
    }
    if (change.start_op <= past_max)
        return invalid("its op ids do not follow its dependencies");
    clock[author] = change.seq;

    // Objects and text runs this change creates, for ops later in the same change; both are
    // found by op counter (they are appended in ascending order).
    struct Made {
        std::uint64_t counter;
        ObjType type;
    };
    std::vector<Made> made;
    struct Run {
        OpId obj;
        std::uint64_t first;
        std::uint32_t width;
    };
    std::vector<Run> runs;
    auto doc_ref = [&](const OpRef& r) {
        return r.counter == 0 ? OpId{} : OpId{r.counter, actor_map[r.actor]};
    };
    auto made_type = [&](OpId obj) -> std::optional<ObjType> {
        if (obj.actor != author || obj.counter < change.start_op)
            return std::nullopt;
        auto it = std::lower_bound(made.begin(), made.end(), obj.counter,
                                   [](const Made& m, std::uint64_t c) { return m.counter < c; });
        if (it == made.end() || it->counter != obj.counter)
            return std::nullopt;
        return it->type;
    };
    auto element_exists = [&](OpId text, OpId elem) {
        if (elem.actor == author && elem.counter >= change.start_op) {
            auto it = std::upper_bound(runs.begin(), runs.end(), elem.counter,
                                       [](std::uint64_t c, const Run& r) { return c < r.first; });
            if (it == runs.begin())
                return false;
            --it;
            return it->obj == text && elem.counter < it->first + it->width;
        }
        const Object* found = object(text);
        if (found == nullptr)
            return false;
        const auto& elems = std::get<TextObj>(*found).elems;
        return std::any_of(elems.begin(), elems.end(), [&](const Elem& e) { return e.id == elem; });
    };

    std::uint64_t id = change.start_op;
    OpId last_obj{};
    std::optional<ObjType> last_type;
    for (const auto& op : change.ops) {
        const OpId obj = doc_ref(op.obj);
        std::optional<ObjType> type;
        if (last_type && obj == last_obj) {
            type = last_type;  // consecutive ops mostly share their object
        } else if (obj.actor == author && obj.counter >= change.start_op) {
            type = made_type(obj);  // cannot exist yet: its id follows everything in the past
        } else if (const Object* found = object(obj); found != nullptr) {
            type = std::holds_alternative<MapObj>(*found) ? ObjType::Map : ObjType::Text;
        }
        if (!type)
            return invalid("an operation on an unknown object");
        last_obj = obj;
        last_type = type;
        if (is_map_op(op.kind) != (*type == ObjType::Map)) {
            return invalid("an operation of the wrong object type");
        }
        const OpId self{id, author};
        switch (op.kind) {
            case OpKind::MakeMap:
                made.push_back(Made{self.counter, ObjType::Map});
                break;
            case OpKind::MakeText:
                made.push_back(Made{self.counter, ObjType::Text});
                break;
            case OpKind::Insert:
                if (op.ref.counter != 0 && !element_exists(obj, doc_ref(op.ref))) {
                    return invalid("an insertion after an unknown element");
                }
                runs.push_back(Run{obj, id, op.width});
                break;
            case OpKind::Remove:
                if (!element_exists(obj, doc_ref(op.ref))) {
                    return invalid("a removal of an unknown element");
                }
                break;
            default:
                break;
        }
        id += op.width;
    }
    max_op = std::max(past_max, id - 1);
    return ok();
}

Status Document::apply_decoded(const ChangeHash& hash, std::vector<std::uint8_t> bytes,
                               Change& change) {
    std::vector<std::uint32_t> actor_map;
    actor_map.reserve(change.actors.size());
    std::uint32_t fresh = static_cast<std::uint32_t>(actors_.size());
    for (const auto& a : change.actors) {
        const std::uint32_t* known = actor_index_.find(a);
        actor_map.push_back(known != nullptr ? *known : fresh++);
    }
    std::uint64_t max_op = 0;
    std::vector<std::uint64_t> clock;
    if (auto checked = check_change(change, actor_map, max_op, clock); !checked) {
        return checked.error();
    }
    for (const auto& a : change.actors)
        intern(a);
    clock.resize(actors_.size());

    auto to_doc = [&](OpRef& r) {
        if (r.counter != 0)
            r.actor = actor_map[r.actor];
    };
    const std::uint32_t author = actor_map[0];
    std::uint64_t id = change.start_op;
    // Consecutive ops mostly share their object; elements of objects_ never move.
    OpId target_id{};
    Object* target = nullptr;
    for (Op& op : change.ops) {
        to_doc(op.obj);
        for (auto& p : op.pred)
            to_doc(p);
        to_doc(op.ref);
        const OpId obj = id_of(op.obj);
        if (target == nullptr || !(obj == target_id)) {
            target = object(obj);
            target_id = obj;
        }
        apply_op(*target, op, OpId{id, author}, true);
        id += op.width;
    }
    max_op_ = std::max(max_op_, max_op);
    record(hash, std::move(bytes), author, change.seq, max_op, std::move(clock), change.deps);
    return ok();
}

void Document::receive(std::span<const std::uint8_t> bytes, ApplyReport& report) {
    if (tx_) {
        report.rejected.push_back(
            make_error(ErrorCode::UncommittedLocal, "commit local edits before applying changes"));
        return;
    }
    if (bytes.size() > kMaxChangeBytes) {
        report.rejected.push_back(
            make_error(ErrorCode::MalformedChange, "malformed change: too large"));
        return;
    }
    const ChangeHash hash = hash_change(bytes);
    if (by_hash_.contains(hash) || pending_.contains(hash)) {
        ++report.duplicates;
        return;
    }
    auto decoded = decode_change(bytes);
    if (!decoded) {
        report.rejected.push_back(decoded.error());
        return;
    }
    Change& change = decoded.value();
    for (const auto& d : change.deps) {
        if (!by_hash_.contains(d)) {
            waiting_on_.emplace(d, hash);
            pending_.emplace(hash, Pending{{bytes.begin(), bytes.end()}, std::move(change)});
            return;
        }
    }
    if (auto applied = apply_decoded(hash, {bytes.begin(), bytes.end()}, change); !applied) {
        report.rejected.push_back(applied.error());
        return;
    }
    ++report.applied;
    release_waiting(hash, report);
}

void Document::release_waiting(const ChangeHash& arrived, ApplyReport& report) {
    std::vector<ChangeHash> work{arrived};
    while (!work.empty()) {
        const ChangeHash h = work.back();
        work.pop_back();
        auto [first, last] = waiting_on_.equal_range(h);
        std::vector<ChangeHash> ready;
        for (auto it = first; it != last; ++it)
            ready.push_back(it->second);
        waiting_on_.erase(first, last);
        for (const auto& r : ready) {
            auto node = pending_.extract(r);
            Pending& p = node.mapped();
            auto missing = std::find_if(p.change.deps.begin(), p.change.deps.end(),
                                        [&](const ChangeHash& d) { return !by_hash_.contains(d); });
            if (missing != p.change.deps.end()) {
                waiting_on_.emplace(*missing, r);
                pending_.insert(std::move(node));
                continue;
            }
            if (auto applied = apply_decoded(r, std::move(p.bytes), p.change); !applied) {
                report.rejected.push_back(applied.error());
                continue;
            }
            ++report.applied;
            work.push_back(r);
        }
    }
}

ApplyReport Document::apply_change(std::span<const std::uint8_t> bytes) {
    ApplyReport report;
    receive(bytes, report);
    report.waiting = pending_.size();
    return report;
}

ApplyReport Document::apply_changes(std::span<const std::vector<std::uint8_t>> changes) {
    ApplyReport report;
    // Growing once for a big batch (opening a folder, a replica catching up) spares rehashing
    // the change index step by step; small batches keep the usual doubling.
    const std::size_t need = history_.size() + changes.size();
    if (need > 2 * history_.capacity()) {
        history_.reserve(need);
        by_hash_.reserve(need);
    }
    for (const auto& c : changes)
        receive(c, report);
    report.waiting = pending_.size();
    return report;
}

}  // namespace orvo_ui::doc
