#pragma once
// A change: one actor's committed batch of operations, the unit that logs store and replicas
// exchange. Its encoding is compact, versioned and canonical, so that the SHA-256 of the bytes
// names the change on every replica.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "runtime/ui/doc/result.hpp"
#include "runtime/ui/doc/types.hpp"

namespace orvo_ui::doc {

// An operation id inside a change: a Lamport counter and an index into the change's own actor
// table. Counter 0 stands for the root map (as an object) or the start of a text (as an
// insertion reference).
struct OpRef {
    std::uint64_t counter = 0;
    std::uint32_t actor = 0;
    bool operator==(const OpRef&) const = default;
};

enum class OpKind : std::uint8_t {
    MakeMap = 0,    // map key := new empty map
    MakeText = 1,   // map key := new empty text
    Put = 2,        // map key := scalar
    DeleteKey = 3,  // map key removed
    Insert = 4,     // text: scalars inserted after `ref`, one op id each
    Remove = 5,     // text: the element `ref` removed
};

struct Op {
    OpKind kind = OpKind::Put;
    OpRef obj;                // the map or text operated on
    std::string key;          // map operations
    std::vector<OpRef> pred;  // map operations: the values this one overwrites
    Scalar value;             // Put
    OpRef ref;                // Insert: the element to insert after; Remove: the element
    std::string text;         // Insert: non-empty UTF-8
    std::uint32_t width = 1;  // op ids taken: the scalar count of `text` for Insert, else 1
};

struct Change {
    std::vector<ActorId> actors;   // actors[0] is the author
    std::uint64_t seq = 0;         // 1, 2, 3... per author
    std::uint64_t start_op = 0;    // counter of the first operation
    std::int64_t time_ms = 0;      // wall clock at commit, informative only
    std::vector<ChangeHash> deps;  // ascending, no repeats
    std::vector<Op> ops;
};

// Bytes above this size are refused before decoding.
inline constexpr std::size_t kMaxChangeBytes = 16u << 20;

std::vector<std::uint8_t> encode_change(const Change& change);

// Strict: any deviation from the canonical encoding (unknown version, bad varint, index out of
// range, malformed UTF-8, unsorted deps, an operation referring to a later op id, trailing
// bytes...) is a MalformedChange error.
Result<Change> decode_change(std::span<const std::uint8_t> bytes);

ChangeHash hash_change(std::span<const std::uint8_t> bytes);

}  // namespace orvo_ui::doc
