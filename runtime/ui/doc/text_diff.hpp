#pragma once
// Replacing a whole text by editing only what differs, so that concurrent edits by other
// replicas to the unchanged parts survive the merge.

#include <cstddef>
#include <string_view>

#include "runtime/ui/doc/document.hpp"

namespace orvo_ui::doc {

// The smallest single splice turning `from` into `to` (both sequences of scalar values):
// keep the common prefix and the common suffix, replace the middle.
struct SpliceRange {
    std::size_t pos = 0;
    std::size_t remove = 0;
    std::size_t insert_from = 0;  // the inserted scalars are to[insert_from, insert_from + insert)
    std::size_t insert = 0;
    bool operator==(const SpliceRange&) const = default;
};
SpliceRange diff_splice(std::u32string_view from, std::u32string_view to);

// Makes the content of `text` equal `new_text` (UTF-8) with the smallest splice; an equal
// text produces no operation.
Status splice_text_diffed(Document& doc, ObjId text, std::string_view new_text);

}  // namespace orvo_ui::doc
