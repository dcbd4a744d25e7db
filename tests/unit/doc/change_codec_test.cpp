// Change bytes come from other replicas and from files a sync tool carried here: decoding is
// strict, and a change that decodes but does not fit the history is refused whole.

#include <gtest/gtest.h>

#include "doc_dump.hpp"
#include "runtime/ui/doc/change.hpp"
#include "runtime/ui/doc/document.hpp"

namespace {

using namespace orvo_ui::doc;
using Bytes = std::vector<std::uint8_t>;

ActorId actor_with(std::uint8_t b) {
    ActorId a;
    a.bytes.fill(b);
    return a;
}

// A change touching every op kind and scalar kind.
Change rich_change() {
    Change c;
    c.actors = {actor_with(1), actor_with(9)};
    c.seq = 3;
    c.start_op = 40;
    c.time_ms = -5;
    ChangeHash d1{}, d2{};
    d1[0] = 1;
    d2[0] = 2;
    c.deps = {d1, d2};
    auto op = [](OpKind k) {
        Op o;
        o.kind = k;
        return o;
    };
    Op make = op(OpKind::MakeMap);
    make.key = "connections";
    make.pred = {OpRef{7, 1}};
    Op text = op(OpKind::MakeText);
    text.obj = OpRef{40, 0};
    text.key = "name";
    Op ins = op(OpKind::Insert);
    ins.obj = OpRef{41, 0};
    ins.text = "día";
    ins.width = 3;
    Op rm = op(OpKind::Remove);
    rm.obj = OpRef{41, 0};
    rm.ref = OpRef{43, 0};
    c.ops = {make, text, ins, rm};
    const std::vector<Scalar> scalars = {
        std::string("s"), std::int64_t{-3}, std::uint64_t{3}, 1.5, Counter{4}, Timestamp{-9}, true};
    for (const auto& s : scalars) {
        Op put = op(OpKind::Put);
        put.obj = OpRef{40, 0};
        put.key = "k";
        put.value = s;
        c.ops.push_back(put);
    }
    Op del = op(OpKind::DeleteKey);
    del.key = "connections";
    del.pred = {OpRef{40, 0}};
    c.ops.push_back(del);
    return c;
}

TEST(ChangeCodec, DecodingInvertsEncoding) {
    const Bytes bytes = encode_change(rich_change());
    auto decoded = decode_change(bytes);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(encode_change(decoded.value()), bytes);
    const Change& c = decoded.value();
    EXPECT_EQ(c.ops.size(), 12u);
    EXPECT_EQ(c.ops[2].width, 3u);
    EXPECT_EQ(c.time_ms, -5);
    EXPECT_TRUE(same_scalar(c.ops[8].value, Counter{4}));
}

TEST(ChangeCodec, EveryTruncationIsRefused) {
    const Bytes bytes = encode_change(rich_change());
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        auto r = decode_change(std::span(bytes).first(n));
        ASSERT_FALSE(r.ok()) << "length " << n;
        EXPECT_EQ(r.error().code, ErrorCode::MalformedChange);
    }
}

TEST(ChangeCodec, HostileEncodingsAreRefused) {
    struct Case {
        const char* what;
        std::function<Bytes()> make;
    };
    auto with = [](auto edit) {
        Change c = rich_change();
        edit(c);
        return encode_change(c);
    };
    const std::vector<Case> cases = {
        {"trailing byte",
         [] {
             Bytes b = encode_change(rich_change());
             b.push_back(0);
             return b;
         }},
        {"wrong magic",
         [] {
             Bytes b = encode_change(rich_change());
             b[0] = 'X';
             return b;
         }},
        {"future version",
         [] {
             Bytes b = encode_change(rich_change());
             b[2] = 2;
             return b;
         }},
        {"non-canonical varint",
         [] {
             return Bytes{'O', 'D', 1, 0x81, 0x00};
         }},
        {"count beyond the bytes", [] { return Bytes{'O', 'D', 1, 0x7f, 1, 2, 3}; }},
        {"varint overflow",
         [] {
             return Bytes{'O', 'D', 1, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f};
         }},
        {"no author", [&] { return with([](Change& c) { c.actors.clear(); }); }},
        {"repeated actor", [&] { return with([](Change& c) { c.actors[1] = c.actors[0]; }); }},
        {"sequence 0", [&] { return with([](Change& c) { c.seq = 0; }); }},
        {"start op 0", [&] { return with([](Change& c) { c.start_op = 0; }); }},
        {"deps not ascending",
         [&] { return with([](Change& c) { std::swap(c.deps[0], c.deps[1]); }); }},
        {"repeated dep", [&] { return with([](Change& c) { c.deps[1] = c.deps[0]; }); }},
        {"no operations", [&] { return with([](Change& c) { c.ops.clear(); }); }},
        {"actor index out of range",
         [&] { return with([](Change& c) { c.ops[0].pred[0].actor = 2; }); }},
        {"reference to a later op",
         [&] { return with([](Change& c) { c.ops[1].obj.counter = 41; }); }},
        {"predecessor 0", [&] { return with([](Change& c) { c.ops[0].pred[0].counter = 0; }); }},
        {"text op on the root", [&] { return with([](Change& c) { c.ops[3].obj = OpRef{}; }); }},
        {"removal of the start", [&] { return with([](Change& c) { c.ops[3].ref = OpRef{}; }); }},
        {"empty insertion", [&] { return with([](Change& c) { c.ops[2].text.clear(); }); }},
        {"overlong UTF-8 key", [&] { return with([](Change& c) { c.ops[0].key = "\xc0\xaf"; }); }},
        {"surrogate in text",
         [&] { return with([](Change& c) { c.ops[2].text = "\xed\xb0\x80"; }); }},
        {"string scalar not UTF-8",
         [&] { return with([](Change& c) { c.ops[4].value = std::string("\xfe"); }); }},
        {"op ids past the counter range",
         [&] { return with([](Change& c) { c.start_op = (std::uint64_t{1} << 62) - 5; }); }},
    };
    for (const auto& c : cases) {
        const Bytes b = c.make();
        auto r = decode_change(b);
        EXPECT_FALSE(r.ok()) << c.what;
        if (!r.ok()) {
            EXPECT_EQ(r.error().code, ErrorCode::MalformedChange) << c.what;
        }
    }
    // Patching bytes that the encoder cannot produce: an unknown op kind, scalar tag, boolean.
    Change boolean = rich_change();
    boolean.ops = {boolean.ops[10]};
    boolean.ops[0].obj = OpRef{};
    boolean.start_op = 41;
    Bytes b = encode_change(boolean);
    ASSERT_TRUE(decode_change(b).ok());
    b.back() = 2;
    EXPECT_FALSE(decode_change(b).ok()) << "boolean 2";
    b.end()[-2] = 7;
    EXPECT_FALSE(decode_change(b).ok()) << "scalar tag 7";
}

TEST(ChangeCodec, ChangesThatDoNotFitTheHistoryAreRefusedWhole) {
    Document a(actor_with(1));
    auto conns = a.put_object(kRoot, "connections", ObjType::Map).value();
    auto name = a.put_object(conns, "name", ObjType::Text).value();
    ASSERT_TRUE(a.splice(name, 0, 0, "ab").ok());
    const Bytes base = a.commit()->bytes;
    const ChangeHash base_hash = a.heads()[0];

    // Each change starts with a good put, so a partial application would show.
    auto build = [&](auto edit) {
        Change c;
        c.actors = {actor_with(2), actor_with(1)};
        c.seq = 1;
        c.start_op = 10;
        c.deps = {base_hash};
        Op put;
        put.kind = OpKind::Put;
        put.key = "marker";
        put.value = true;
        c.ops = {put};
        Op bad;
        edit(c, bad);
        c.ops.push_back(bad);
        return encode_change(c);
    };
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"put on an unknown object", build([](Change&, Op& op) {
             op.kind = OpKind::Put;
             op.obj = OpRef{5, 1};
             op.key = "k";
         })},
        {"map op on a text", build([](Change&, Op& op) {
             op.kind = OpKind::Put;
             op.obj = OpRef{2, 1};
             op.key = "k";
         })},
        {"insert into a map", build([](Change&, Op& op) {
             op.kind = OpKind::Insert;
             op.obj = OpRef{1, 1};
             op.text = "x";
         })},
        {"insert after an unknown element", build([](Change&, Op& op) {
             op.kind = OpKind::Insert;
             op.obj = OpRef{2, 1};
             op.ref = OpRef{9, 1};
             op.text = "x";
         })},
        {"remove of an unknown element", build([](Change&, Op& op) {
             op.kind = OpKind::Remove;
             op.obj = OpRef{2, 1};
             op.ref = OpRef{3, 0};
         })},
        {"op ids not after the dependencies", build([](Change& c, Op& op) {
             c.start_op = 4;
             op = c.ops[0];
         })},
        {"sequence gap", build([](Change& c, Op& op) {
             c.seq = 2;
             op = c.ops[0];
         })},
    };
    for (const auto& c : cases) {
        Document b(actor_with(3));
        ASSERT_EQ(b.apply_change(base).applied, 1u);
        const std::string before = doc_test::dump(b, kRoot);
        auto r = b.apply_change(c.bytes);
        ASSERT_EQ(r.rejected.size(), 1u) << c.what;
        EXPECT_EQ(r.rejected[0].code, ErrorCode::InvalidChange)
            << c.what << ": " << r.rejected[0].message;
        EXPECT_EQ(doc_test::dump(b, kRoot), before) << c.what;
        EXPECT_EQ(b.heads(), std::vector{base_hash}) << c.what;
    }
}

TEST(ChangeCodec, SingleByteCorruptionNeverBreaksTheDocument) {
    Document a(actor_with(1));
    auto conns = a.put_object(kRoot, "connections", ObjType::Map).value();
    auto entry = a.put_object(conns, "e", ObjType::Map).value();
    auto name = a.put_object(entry, "name", ObjType::Text).value();
    ASSERT_TRUE(a.splice(name, 0, 0, "Jump host").ok());
    ASSERT_TRUE(a.put(entry, "port", std::int64_t{2222}).ok());
    const Bytes first = a.commit()->bytes;
    ASSERT_TRUE(a.splice(name, 0, 4, "Bastion").ok());
    const Bytes second = a.commit()->bytes;

    std::size_t refused = 0;
    for (std::size_t i = 0; i < second.size(); ++i) {
        for (std::uint8_t flip : {0x01, 0x80, 0xff}) {
            Bytes bad = second;
            bad[i] ^= flip;
            Document b(actor_with(2));
            ASSERT_EQ(b.apply_change(first).applied, 1u);
            auto r = b.apply_change(bad);
            refused += r.rejected.size();
            // Whatever the corruption did, the document still reads and still merges.
            (void)doc_test::dump(b, kRoot);
            if (r.waiting == 0) {
                EXPECT_EQ(b.apply_change(second).rejected.size() + b.change_count(),
                          r.applied == 1 ? 3u : 2u);
            }
        }
    }
    EXPECT_GT(refused, second.size());
}

}  // namespace
