#pragma once
// The replicated document: an operation-based CRDT of nested maps, text objects and typed
// scalars.
//
// - Every operation has a Lamport id (counter, actor); ids order operations totally.
// - A map key is a register: a put or delete overwrites exactly the values its writer saw, so
//   concurrent puts are all kept and the greatest op id is the visible one.
// - A text is an RGA sequence of Unicode scalar values; removed elements stay as tombstones so
//   that concurrent insertions find their place.
// - Local edits apply at once and are collected until commit(), which makes one change
//   (actor, seq, deps = the heads it was based on, ops) named by the SHA-256 of its bytes.
// - apply_change() accepts changes from any replica in any order: duplicates are ignored, and
//   changes whose dependencies are missing wait until those arrive. Every replica that has
//   applied the same set of changes holds the same document.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "runtime/ui/doc/change.hpp"
#include "runtime/ui/doc/flat_index.hpp"
#include "runtime/ui/doc/result.hpp"
#include "runtime/ui/doc/types.hpp"

namespace orvo_ui::doc {

struct CommittedChange {
    ChangeHash hash{};
    std::vector<std::uint8_t> bytes;
};

// What applying a batch of changes did. `applied` counts changes merged into the document,
// including waiting ones that a new arrival released.
struct ApplyReport {
    std::size_t applied = 0;
    std::size_t duplicates = 0;
    std::size_t waiting = 0;  // changes held back for missing dependencies, after this call
    std::vector<Error> rejected;
};

class Document {
  public:
    explicit Document(ActorId actor = ActorId::random());

    const ActorId& actor_id() const { return actors_[self_]; }

    // Reading: the current state, local uncommitted edits included.
    Result<std::optional<Value>> get(ObjId map, std::string_view key) const;
    Result<std::vector<std::string>> keys(ObjId map) const;  // ascending
    Result<std::string> text(ObjId text) const;
    Result<std::size_t> length(ObjId text) const;  // in Unicode scalar values
    // The values that concurrent writers left at a key, greatest op id first.
    Result<std::vector<Value>> conflicts(ObjId map, std::string_view key) const;

    // Editing. put() of the value a key already holds alone changes nothing.
    Result<ObjId> put_object(ObjId map, std::string_view key, ObjType type);
    Status put(ObjId map, std::string_view key, Scalar value);
    Status delete_key(ObjId map, std::string_view key);
    // Removes `remove` scalars at `pos` and inserts `insert` (UTF-8) there.
    Status splice(ObjId text, std::size_t pos, std::size_t remove, std::string_view insert);

    bool has_uncommitted() const { return tx_.has_value(); }
    // Seals the local edits into a change; nothing when there are none.
    std::optional<CommittedChange> commit();

    std::vector<ChangeHash> heads() const;
    // Encoded changes that a replica at `heads` lacks, in an order it can apply. Heads this
    // document does not know are ignored, which can only make the answer larger.
    std::vector<std::vector<std::uint8_t>> changes_since(std::span<const ChangeHash> heads) const;
    std::size_t change_count() const { return history_.size(); }

    ApplyReport apply_change(std::span<const std::uint8_t> bytes);
    ApplyReport apply_changes(std::span<const std::vector<std::uint8_t>> changes);

  private:
    // An op id inside this document: a counter and an index into actors_.
    struct OpId {
        std::uint64_t counter = 0;
        std::uint32_t actor = 0;
        bool operator==(const OpId&) const = default;
    };

    struct Entry {
        OpId id;
        Value value;
    };
    // The values at a map key, greatest op id first. Nearly always exactly one, kept inline.
    class Register {
      public:
        std::span<const Entry> entries() const {
            if (one_)
                return {&*one_, 1};
            return many_;
        }
        bool empty() const { return !one_ && many_.empty(); }
        // Drops the entries for which `drop` holds.
        template <typename Pred>
        void remove_if(Pred drop) {
            if (one_ && drop(*one_))
                one_.reset();
            std::erase_if(many_, drop);
        }
        // Inserts keeping the order; `before(a, b)` tells whether a sorts before b.
        template <typename Less>
        void insert(Entry e, Less before) {
            if (empty()) {
                one_ = std::move(e);
                return;
            }
            if (one_) {
                many_.push_back(std::move(*one_));
                one_.reset();
            }
            auto at = std::find_if(many_.begin(), many_.end(),
                                   [&](const Entry& x) { return before(e, x); });
            many_.insert(at, std::move(e));
        }

      private:
        std::optional<Entry> one_;
        std::vector<Entry> many_;
    };
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const {
            return std::hash<std::string_view>{}(key);
        }
    };
    // Keys are hashed, not ordered: a map with tens of thousands of keys (the saved connections)
    // then costs one or two cache misses per lookup instead of a walk down a tree. keys() sorts.
    struct MapObj {
        std::unordered_map<std::string, Register, KeyHash, std::equal_to<>> keys;
    };
    struct Elem {
        OpId id;
        char32_t ch = 0;
        bool removed = false;
    };
    struct TextObj {
        std::vector<Elem> elems;
    };
    using Object = std::variant<MapObj, TextObj>;

    // Both indexes probe linearly from the low bits, so the bits are mixed well.
    struct OpIdHash {
        std::size_t operator()(const OpId& id) const {
            std::uint64_t x = id.counter * 0x9e3779b97f4a7c15ull ^ id.actor;
            x ^= x >> 31;
            x *= 0xbf58476d1ce4e5b9ull;
            return x ^ (x >> 29);
        }
    };
    struct HashHash {
        std::size_t operator()(const ChangeHash& h) const;
    };
    struct ActorHash {
        std::size_t operator()(const ActorId& a) const;
    };

    struct Applied {
        ChangeHash hash{};
        std::vector<std::uint8_t> bytes;
        std::uint32_t actor = 0;
        std::uint64_t seq = 0;
        std::uint64_t max_op = 0;          // greatest op counter in this change's past
        std::vector<std::uint64_t> clock;  // per actor index: latest seq in its past
    };

    struct Pending {
        std::vector<std::uint8_t> bytes;
        Change change;
    };

    // Local edits since the last commit; op refs use document actor indices.
    struct Transaction {
        std::vector<ChangeHash> deps;
        std::uint64_t start_op = 0;
        std::uint64_t next_op = 0;
        std::vector<Op> ops;
    };

    // Comparison of op ids across actors: counter first, then actor bytes.
    bool less(const OpId& a, const OpId& b) const;
    std::uint32_t intern(const ActorId& actor);

    // The internal id of an existing object of the given type.
    Result<OpId> find(ObjId id, ObjType type) const;
    // The object `id` names, or nullptr. Objects are never removed and never move.
    const Object* object(OpId id) const {
        const std::uint32_t* at = object_index_.find(id);
        return at ? &objects_[*at] : nullptr;
    }
    Object* object(OpId id) {
        return const_cast<Object*>(static_cast<const Document*>(this)->object(id));
    }
    void add_object(OpId id, Object obj);
    const MapObj& map_of(OpId id) const { return std::get<MapObj>(*object(id)); }
    const TextObj& text_of(OpId id) const { return std::get<TextObj>(*object(id)); }
    // The history index of a change this document holds.
    std::size_t history_index(const ChangeHash& hash) const { return *by_hash_.find(hash); }
    ObjId public_id(OpId id) const { return ObjId{id.counter, actors_[id.actor]}; }
    Transaction& begin();
    OpId next_id(std::uint32_t width);
    static OpRef ref_of(const OpId& id) { return OpRef{id.counter, id.actor}; }
    static OpId id_of(const OpRef& r) { return OpId{r.counter, r.actor}; }

    // Applying one op whose refs are already in document actor indices.
    // `consume`: the op is not needed afterwards, so its key and value may move.
    void apply_op(Op& op, OpId id, bool consume) {
        apply_op(*object(id_of(op.obj)), op, id, consume);
    }
    // The same, on `target`, the object `op.obj` names (callers applying runs of ops on one
    // object look it up once).
    void apply_op(Object& target, Op& op, OpId id, bool consume);
    void apply_map_op(MapObj& map, Op& op, OpId id, bool consume);
    void integrate_insert(TextObj& text, const Op& op, OpId id);

    // Receiving.
    Status check_change(const Change& change, const std::vector<std::uint32_t>& actor_map,
                        std::uint64_t& max_op, std::vector<std::uint64_t>& clock) const;
    Status apply_decoded(const ChangeHash& hash, std::vector<std::uint8_t> bytes, Change& change);
    void receive(std::span<const std::uint8_t> bytes, ApplyReport& report);
    void release_waiting(const ChangeHash& arrived, ApplyReport& report);
    void record(const ChangeHash& hash, std::vector<std::uint8_t> bytes, std::uint32_t actor,
                std::uint64_t seq, std::uint64_t max_op, std::vector<std::uint64_t> clock,
                const std::vector<ChangeHash>& deps);

    std::vector<ActorId> actors_;
    FlatIndex<ActorId, ActorHash> actor_index_;
    std::uint32_t self_ = 0;

    std::deque<Object> objects_;
    FlatIndex<OpId, OpIdHash> object_index_;
    std::uint64_t max_op_ = 0;

    std::vector<Applied> history_;
    FlatIndex<ChangeHash, HashHash> by_hash_;         // history index of every change
    std::vector<std::vector<std::size_t>> by_actor_;  // per actor: history index of seq 1, 2...
    std::vector<ChangeHash> heads_;                   // ascending; usually one or two

    std::unordered_map<ChangeHash, Pending, HashHash> pending_;
    std::unordered_multimap<ChangeHash, ChangeHash, HashHash> waiting_on_;

    std::optional<Transaction> tx_;
};

}  // namespace orvo_ui::doc
