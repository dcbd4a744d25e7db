#pragma once
// A canonical text of a whole document (every key, every concurrent value, every text), so
// that tests can compare replicas for equality.

#include <string>

#include "runtime/ui/doc/document.hpp"

namespace doc_test {

inline std::string dump_scalar(const orvo_ui::doc::Scalar& s) {
    using namespace orvo_ui::doc;
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>)
                return "s:" + v;
            if constexpr (std::is_same_v<T, std::int64_t>)
                return "i:" + std::to_string(v);
            if constexpr (std::is_same_v<T, std::uint64_t>)
                return "u:" + std::to_string(v);
            if constexpr (std::is_same_v<T, double>)
                return "f:" + std::to_string(v);
            if constexpr (std::is_same_v<T, Counter>)
                return "c:" + std::to_string(v.value);
            if constexpr (std::is_same_v<T, Timestamp>)
                return "t:" + std::to_string(v.millis);
            if constexpr (std::is_same_v<T, bool>)
                return v ? "b:1" : "b:0";
        },
        s);
}

inline std::string dump(const orvo_ui::doc::Document& d, orvo_ui::doc::ObjId map, int depth = 0) {
    using namespace orvo_ui::doc;
    std::string out = "{";
    const std::vector<std::string> keys = d.keys(map).value();
    for (const auto& key : keys) {
        out += key + "=[";
        const std::vector<Value> values = d.conflicts(map, key).value();
        for (const auto& v : values) {
            if (const auto* s = std::get_if<Scalar>(&v)) {
                out += dump_scalar(*s);
            } else {
                const auto& ref = std::get<ObjRef>(v);
                out += ref.type == ObjType::Map ? dump(d, ref.id, depth + 1)
                                                : "\"" + d.text(ref.id).value() + "\"";
            }
            out += ";";
        }
        out += "]";
    }
    return out + "}";
}

}  // namespace doc_test
