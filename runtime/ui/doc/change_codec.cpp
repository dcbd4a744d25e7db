// Binary layout (all integers are LEB128 varints in their shortest form unless noted):
//   "OD" 0x01                     magic and format version
//   actor count, 16 bytes each    the author first, then every actor an op id refers to
//   seq, start_op, zigzag(time_ms)
//   dep count, 32 bytes each      ascending
//   op count, then per op: kind byte, obj ref, and
//     map ops:  key (length + UTF-8), pred count + refs, Put: scalar
//     Insert:   ref (counter 0 = start of text), text (length + UTF-8, non-empty)
//     Remove:   ref
//   ref: counter, then the actor index only when the counter is not 0
//   scalar: tag byte (0 string, 1 signed, 2 unsigned, 3 float, 4 counter, 5 timestamp,
//           6 boolean) and its payload (length + UTF-8 / zigzag / varint / 8 bytes little
//           endian / zigzag / zigzag / one byte 0 or 1)

#include <algorithm>
#include <bit>
#include <limits>

#include "runtime/ui/doc/change.hpp"
#include "runtime/ui/utf8.hpp"

namespace orvo_ui::doc {
namespace {

constexpr std::uint8_t kMagic0 = 'O';
constexpr std::uint8_t kMagic1 = 'D';
constexpr std::uint8_t kVersion = 1;
constexpr std::uint64_t kMaxCounter = std::uint64_t{1} << 62;

std::uint64_t zigzag(std::int64_t v) {
    return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}

std::int64_t unzigzag(std::uint64_t v) {
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

class Writer {
  public:
    void byte(std::uint8_t b) { out_.push_back(b); }
    void varint(std::uint64_t v) {
        while (v >= 0x80) {
            out_.push_back(static_cast<std::uint8_t>(v | 0x80));
            v >>= 7;
        }
        out_.push_back(static_cast<std::uint8_t>(v));
    }
    void raw(std::span<const std::uint8_t> bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    void string(std::string_view s) {
        varint(s.size());
        out_.insert(out_.end(), s.begin(), s.end());
    }
    void ref(const OpRef& r) {
        varint(r.counter);
        if (r.counter != 0)
            varint(r.actor);
    }
    void scalar(const Scalar& s) {
        byte(static_cast<std::uint8_t>(s.index()));
        std::visit(
            [this](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    string(v);
                } else if constexpr (std::is_same_v<T, std::int64_t>) {
                    varint(zigzag(v));
                } else if constexpr (std::is_same_v<T, std::uint64_t>) {
                    varint(v);
                } else if constexpr (std::is_same_v<T, double>) {
                    auto bits = std::bit_cast<std::uint64_t>(v);
                    for (int i = 0; i < 8; ++i)
                        byte(static_cast<std::uint8_t>(bits >> (8 * i)));
                } else if constexpr (std::is_same_v<T, Counter>) {
                    varint(zigzag(v.value));
                } else if constexpr (std::is_same_v<T, Timestamp>) {
                    varint(zigzag(v.millis));
                } else {
                    byte(v ? 1 : 0);
                }
            },
            s);
    }
    std::vector<std::uint8_t> take() { return std::move(out_); }

  private:
    std::vector<std::uint8_t> out_;
};

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : in_(bytes) {}

    bool failed() const { return failed_; }
    const std::string& why() const { return why_; }
    bool at_end() const { return pos_ == in_.size(); }
    std::size_t remaining() const { return in_.size() - pos_; }

    bool fail(std::string why) {
        if (!failed_) {
            failed_ = true;
            why_ = std::move(why) + " at byte " + std::to_string(pos_);
        }
        return false;
    }

    bool byte(std::uint8_t& out) {
        if (failed_)
            return false;
        if (pos_ >= in_.size())
            return fail("unexpected end");
        out = in_[pos_++];
        return true;
    }

    bool varint(std::uint64_t& out) {
        if (failed_)
            return false;
        out = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (pos_ >= in_.size())
                return fail("unexpected end in varint");
            std::uint8_t b = in_[pos_++];
            if (shift == 63 && b > 1)
                return fail("varint overflow");
            out |= static_cast<std::uint64_t>(b & 0x7f) << shift;
            if ((b & 0x80) == 0) {
                if (b == 0 && shift != 0)
                    return fail("non-canonical varint");
                return true;
            }
        }
        return fail("varint too long");
    }

    // A count of items that each take at least `min_bytes`: bounded by what is left.
    bool count(std::uint64_t& out, std::size_t min_bytes) {
        if (!varint(out))
            return false;
        if (out > remaining() / min_bytes)
            return fail("count exceeds the remaining bytes");
        return true;
    }

    template <std::size_t N>
    bool array(std::array<std::uint8_t, N>& out) {
        if (failed_)
            return false;
        if (remaining() < N)
            return fail("unexpected end");
        std::copy_n(in_.begin() + static_cast<std::ptrdiff_t>(pos_), N, out.begin());
        pos_ += N;
        return true;
    }

    bool string(std::string& out) {
        std::uint64_t len = 0;
        if (!count(len, 1))
            return false;
        out.assign(reinterpret_cast<const char*>(in_.data() + pos_), len);
        pos_ += len;
        if (!utf8::valid(out))
            return fail("malformed UTF-8");
        return true;
    }

  private:
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    std::string why_;
};

bool read_ref(Reader& r, std::size_t actor_count, OpRef& out) {
    if (!r.varint(out.counter))
        return false;
    if (out.counter >= kMaxCounter)
        return r.fail("op counter out of range");
    out.actor = 0;
    if (out.counter == 0)
        return true;
    std::uint64_t actor = 0;
    if (!r.varint(actor))
        return false;
    if (actor >= actor_count)
        return r.fail("actor index out of range");
    out.actor = static_cast<std::uint32_t>(actor);
    return true;
}

bool read_scalar(Reader& r, Scalar& out) {
    std::uint8_t tag = 0;
    std::uint64_t v = 0;
    if (!r.byte(tag))
        return false;
    switch (tag) {
        case 0: {
            std::string s;
            if (!r.string(s))
                return false;
            out = std::move(s);
            return true;
        }
        case 1:
            if (!r.varint(v))
                return false;
            out = unzigzag(v);
            return true;
        case 2:
            if (!r.varint(v))
                return false;
            out = v;
            return true;
        case 3: {
            std::uint64_t bits = 0;
            for (int i = 0; i < 8; ++i) {
                std::uint8_t b = 0;
                if (!r.byte(b))
                    return false;
                bits |= static_cast<std::uint64_t>(b) << (8 * i);
            }
            out = std::bit_cast<double>(bits);
            return true;
        }
        case 4:
            if (!r.varint(v))
                return false;
            out = Counter{unzigzag(v)};
            return true;
        case 5:
            if (!r.varint(v))
                return false;
            out = Timestamp{unzigzag(v)};
            return true;
        case 6: {
            std::uint8_t b = 0;
            if (!r.byte(b))
                return false;
            if (b > 1)
                return r.fail("boolean other than 0 or 1");
            out = b == 1;
            return true;
        }
        default:
            return r.fail("unknown scalar tag");
    }
}

bool is_map_op(OpKind k) {
    return k <= OpKind::DeleteKey;
}

// Reads one op whose first op id is `id`; every op id it refers to must be older.
bool read_op(Reader& r, std::size_t actor_count, std::uint64_t id, Op& op) {
    std::uint8_t kind = 0;
    if (!r.byte(kind))
        return false;
    if (kind > static_cast<std::uint8_t>(OpKind::Remove))
        return r.fail("unknown operation");
    op.kind = static_cast<OpKind>(kind);
    if (!read_ref(r, actor_count, op.obj))
        return false;
    if (op.obj.counter >= id)
        return r.fail("operation on a later object");
    if (is_map_op(op.kind)) {
        if (!r.string(op.key))
            return false;
        std::uint64_t n = 0;
        if (!r.count(n, 1))
            return false;
        op.pred.resize(n);
        for (auto& p : op.pred) {
            if (!read_ref(r, actor_count, p))
                return false;
            if (p.counter == 0 || p.counter >= id)
                return r.fail("bad predecessor");
        }
        if (op.kind == OpKind::Put && !read_scalar(r, op.value))
            return false;
        op.width = 1;
        return true;
    }
    if (op.obj.counter == 0)
        return r.fail("text operation on the root map");
    if (!read_ref(r, actor_count, op.ref))
        return false;
    if (op.ref.counter >= id)
        return r.fail("reference to a later element");
    if (op.kind == OpKind::Remove) {
        if (op.ref.counter == 0)
            return r.fail("removal of the start of a text");
        op.width = 1;
        return true;
    }
    if (!r.string(op.text))
        return false;
    if (op.text.empty())
        return r.fail("empty insertion");
    std::size_t scalars = 0;
    for (char c : op.text)
        scalars += (static_cast<unsigned char>(c) & 0xc0) != 0x80 ? 1 : 0;
    op.width = static_cast<std::uint32_t>(scalars);
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode_change(const Change& change) {
    Writer w;
    w.byte(kMagic0);
    w.byte(kMagic1);
    w.byte(kVersion);
    w.varint(change.actors.size());
    for (const auto& a : change.actors)
        w.raw(a.bytes);
    w.varint(change.seq);
    w.varint(change.start_op);
    w.varint(zigzag(change.time_ms));
    w.varint(change.deps.size());
    for (const auto& d : change.deps)
        w.raw(d);
    w.varint(change.ops.size());
    for (const auto& op : change.ops) {
        w.byte(static_cast<std::uint8_t>(op.kind));
        w.ref(op.obj);
        if (is_map_op(op.kind)) {
            w.string(op.key);
            w.varint(op.pred.size());
            for (const auto& p : op.pred)
                w.ref(p);
            if (op.kind == OpKind::Put)
                w.scalar(op.value);
        } else {
            w.ref(op.ref);
            if (op.kind == OpKind::Insert)
                w.string(op.text);
        }
    }
    return w.take();
}

Result<Change> decode_change(std::span<const std::uint8_t> bytes) {
    auto malformed = [](const std::string& why) {
        return make_error(ErrorCode::MalformedChange, "malformed change: " + why);
    };
    if (bytes.size() > kMaxChangeBytes)
        return malformed("too large");
    Reader r(bytes);
    Change c;
    std::uint8_t m0 = 0, m1 = 0, version = 0;
    r.byte(m0);
    r.byte(m1);
    r.byte(version);
    if (r.failed())
        return malformed(r.why());
    if (m0 != kMagic0 || m1 != kMagic1)
        return malformed("not a change");
    if (version != kVersion)
        return malformed("unsupported version " + std::to_string(version));

    std::uint64_t n = 0;
    if (r.count(n, 16) && n == 0)
        r.fail("no author");
    c.actors.resize(r.failed() ? 0 : n);
    for (auto& a : c.actors)
        r.array(a.bytes);
    for (std::size_t i = 0; i < c.actors.size() && !r.failed(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (c.actors[i] == c.actors[j])
                r.fail("repeated actor");
        }
    }
    std::uint64_t time = 0;
    r.varint(c.seq);
    r.varint(c.start_op);
    r.varint(time);
    c.time_ms = unzigzag(time);
    if (!r.failed() && c.seq == 0)
        r.fail("sequence number 0");
    if (!r.failed() && (c.start_op == 0 || c.start_op >= kMaxCounter))
        r.fail("bad start op");

    if (r.count(n, 32))
        c.deps.resize(n);
    for (std::size_t i = 0; i < c.deps.size() && !r.failed(); ++i) {
        r.array(c.deps[i]);
        if (i > 0 && !(c.deps[i - 1] < c.deps[i]))
            r.fail("dependencies not ascending");
    }

    if (r.count(n, 3) && n == 0)
        r.fail("no operations");
    if (!r.failed())
        c.ops.resize(n);
    std::uint64_t next_id = c.start_op;
    for (auto& op : c.ops) {
        if (!read_op(r, c.actors.size(), next_id, op))
            break;
        next_id += op.width;
        if (next_id >= kMaxCounter)
            r.fail("op counter out of range");
    }
    if (!r.failed() && !r.at_end())
        r.fail("trailing bytes");
    if (r.failed())
        return malformed(r.why());
    return c;
}

}  // namespace orvo_ui::doc
