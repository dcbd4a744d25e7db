#include "runtime/ui/doc/text_diff.hpp"

#include "runtime/ui/utf8.hpp"

namespace orvo_ui::doc {

SpliceRange diff_splice(std::u32string_view from, std::u32string_view to) {
    std::size_t prefix = 0;
    const std::size_t shorter = std::min(from.size(), to.size());
    while (prefix < shorter && from[prefix] == to[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           from[from.size() - 1 - suffix] == to[to.size() - 1 - suffix]) {
        ++suffix;
    }
    return SpliceRange{prefix, from.size() - prefix - suffix, prefix, to.size() - prefix - suffix};
}

Status splice_text_diffed(Document& doc, ObjId text, std::string_view new_text) {
    auto current = doc.text(text);
    if (!current)
        return current.error();
    auto to = utf8::decode(new_text);
    if (!to)
        return make_error(ErrorCode::InvalidText, "new text is not UTF-8");
    // The document only holds well-formed text.
    auto from = utf8::decode(current.value());
    const SpliceRange r = diff_splice(*from, *to);
    if (r.remove == 0 && r.insert == 0)
        return ok();
    const std::string inserted =
        utf8::encode(std::u32string_view(*to).substr(r.insert_from, r.insert));
    return doc.splice(text, r.pos, r.remove, inserted);
}

}  // namespace orvo_ui::doc
