// Feeds arbitrary bytes to change decoding and to a document that applies them: whatever
// arrives, nothing crashes, a decoded change re-encodes to exactly its bytes, and the document
// still reads afterwards.
//
// The input is taken whole as one change, and also as a log body (length, CRC-32C, change
// records) whose records are applied in turn, so that sequences of changes get explored.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "runtime/ui/doc/change.hpp"
#include "runtime/ui/doc/document.hpp"
#include "runtime/ui/persist/log_format.hpp"

namespace {

using namespace orvo_ui;

// A small shared history for fuzzed changes to build on: a map, a nested map, a text.
const std::vector<std::vector<std::uint8_t>>& base_changes() {
    static const auto changes = [] {
        doc::ActorId actor;
        actor.bytes.fill(0x11);
        doc::Document d(actor);
        auto conns = d.put_object(doc::kRoot, "connections", doc::ObjType::Map).value();
        auto entry = d.put_object(conns, "e", doc::ObjType::Map).value();
        auto name = d.put_object(entry, "name", doc::ObjType::Text).value();
        (void)d.splice(name, 0, 0, "abc");
        (void)d.put(entry, "port", std::int64_t{22});
        std::vector<std::vector<std::uint8_t>> out{d.commit()->bytes};
        return out;
    }();
    return changes;
}

// Walks everything reachable, as a reader of the document would.
void read_all(const doc::Document& d, doc::ObjId map, int depth) {
    if (depth > 64)
        return;
    auto keys = d.keys(map);
    if (!keys.ok())
        std::abort();
    for (const auto& key : keys.value()) {
        auto values = d.conflicts(map, key);
        if (!values.ok() || values.value().empty())
            std::abort();
        for (const auto& v : values.value()) {
            if (const auto* ref = std::get_if<doc::ObjRef>(&v)) {
                if (ref->type == doc::ObjType::Map) {
                    read_all(d, ref->id, depth + 1);
                } else if (!d.text(ref->id).ok()) {
                    std::abort();
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (auto decoded = doc::decode_change(bytes); decoded.ok()) {
        const auto again = doc::encode_change(decoded.value());
        if (again.size() != size || !std::equal(again.begin(), again.end(), data))
            std::abort();
    }

    doc::Document d;
    d.apply_changes(base_changes());
    d.apply_change(bytes);
    const auto scan = persist::scan_records(bytes, 0);
    for (const auto& r : scan.records)
        d.apply_change(r.change);
    read_all(d, doc::kRoot, 0);

    // The document keeps working: local edits commit and a peer can replay all of it.
    auto note = d.put_object(doc::kRoot, "after", doc::ObjType::Text);
    if (!note.ok() || !d.splice(note.value(), 0, 0, "ok").ok() || !d.commit())
        std::abort();
    doc::Document peer;
    auto report = peer.apply_changes(d.changes_since({}));
    if (!report.rejected.empty())
        std::abort();
    return 0;
}
