// Replicas that make random concurrent edits and exchange their changes in different orders
// (shuffled, duplicated, delayed) must end identical.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "doc_dump.hpp"
#include "runtime/ui/doc/document.hpp"
#include "runtime/ui/doc/text_diff.hpp"

namespace {

using namespace orvo_ui::doc;

// Few entries and short texts, so that concurrent edits often meet at the same place.
constexpr const char* kIds[] = {"a1", "b2", "c3"};
constexpr const char* kFields[] = {"host", "port", "favorite"};
const std::string kWords[] = {"", "alpha", "alphabet", "bet", "héllo", "x", "日本語", "alp"};

class Replica {
  public:
    Replica(ActorId actor, std::uint64_t seed) : doc(actor), rng(seed) {}

    Document doc;
    std::mt19937_64 rng;
    std::vector<std::vector<std::uint8_t>> outbox;

    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    }

    ObjId connections() {
        auto v = doc.get(kRoot, "connections").value();
        if (v && std::holds_alternative<ObjRef>(*v) && std::get<ObjRef>(*v).type == ObjType::Map) {
            return std::get<ObjRef>(*v).id;
        }
        return doc.put_object(kRoot, "connections", ObjType::Map).value();
    }

    ObjId entry(ObjId conns, const std::string& id) {
        auto v = doc.get(conns, id).value();
        if (v && std::holds_alternative<ObjRef>(*v) && std::get<ObjRef>(*v).type == ObjType::Map) {
            return std::get<ObjRef>(*v).id;
        }
        return doc.put_object(conns, id, ObjType::Map).value();
    }

    Scalar random_scalar() {
        switch (pick(7)) {
            case 0:
                return std::string(kWords[pick(std::size(kWords))]);
            case 1:
                return static_cast<std::int64_t>(pick(5)) - 2;
            case 2:
                return static_cast<std::uint64_t>(pick(5));
            case 3:
                return static_cast<double>(pick(5)) / 2;
            case 4:
                return Counter{static_cast<std::int64_t>(pick(5))};
            case 5:
                return Timestamp{static_cast<std::int64_t>(pick(5))};
            default:
                return pick(2) == 1;
        }
    }

    void random_edit() {
        ObjId conns = connections();
        const std::string id = kIds[pick(std::size(kIds))];
        // Mostly text edits; deleting a whole entry is rare, since it cuts the entry's text
        // off from later concurrent edits.
        const std::size_t what = pick(40);
        if (what == 0) {
            ASSERT_TRUE(doc.delete_key(conns, id).ok());
            return;
        }
        ObjId e = entry(conns, id);
        if (what < 9) {
            ASSERT_TRUE(doc.put(e, kFields[pick(std::size(kFields))], random_scalar()).ok());
            return;
        }
        if (what < 12) {
            ASSERT_TRUE(doc.delete_key(e, kFields[pick(std::size(kFields))]).ok());
            return;
        }
        auto v = doc.get(e, "name").value();
        ObjId name;
        if (v && std::holds_alternative<ObjRef>(*v) && std::get<ObjRef>(*v).type == ObjType::Text) {
            name = std::get<ObjRef>(*v).id;
        } else {
            name = doc.put_object(e, "name", ObjType::Text).value();
        }
        if (pick(4) == 0) {
            ASSERT_TRUE(splice_text_diffed(doc, name, kWords[pick(std::size(kWords))]).ok());
            return;
        }
        const std::size_t len = doc.length(name).value();
        const std::size_t where = pick(4);
        const std::size_t pos = where == 0 ? 0 : where == 1 ? len : pick(len + 1);
        const std::size_t del = pick(3) == 0 ? pick(len - pos + 1) : 0;
        ASSERT_TRUE(doc.splice(name, pos, del, kWords[pick(std::size(kWords))]).ok());
    }

    void edit_and_commit(std::size_t edits) {
        for (std::size_t i = 0; i < edits; ++i)
            random_edit();
        if (auto c = doc.commit())
            outbox.push_back(std::move(c->bytes));
    }
};

ActorId actor_with(std::uint8_t b) {
    ActorId a;
    a.bytes.fill(b);
    return a;
}

// Delivers `changes` to `to` in a random order, some twice; all of them in the end.
void deliver(Replica& to, std::vector<std::vector<std::uint8_t>> changes, std::mt19937_64& rng) {
    std::shuffle(changes.begin(), changes.end(), rng);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (rng() % 4 == 0)
            changes.push_back(changes[i]);
    }
    for (const auto& c : changes) {
        auto report = to.doc.apply_change(c);
        ASSERT_TRUE(report.rejected.empty()) << report.rejected.front().message;
    }
}

class Convergence : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(Convergence, ThreeReplicasEndIdentical) {
    const std::uint64_t seed = GetParam();
    std::mt19937_64 rng(seed);
    // The middle actor sorts between the others, so ties on counters go both ways.
    std::vector<Replica> replicas;
    replicas.emplace_back(actor_with(0x10), seed * 3 + 1);
    replicas.emplace_back(actor_with(0x80), seed * 3 + 2);
    replicas.emplace_back(actor_with(0x40), seed * 3 + 3);

    // A shared starting point, so that later edits meet on the same maps and texts.
    std::vector<std::vector<std::uint8_t>> all;
    {
        Replica& r = replicas[0];
        ObjId conns = r.connections();
        for (const char* id : kIds) {
            ObjId name = r.doc.put_object(r.entry(conns, id), "name", ObjType::Text).value();
            ASSERT_TRUE(r.doc.splice(name, 0, 0, "shared").ok());
        }
        all.push_back(r.doc.commit()->bytes);
        for (auto& other : replicas)
            other.doc.apply_changes(all);
    }
    for (int round = 0; round < 12; ++round) {
        for (auto& r : replicas) {
            for (int commits = 0; commits < 3; ++commits)
                r.edit_and_commit(1 + r.pick(4));
        }
        // Partial exchange: each replica hears from one other, in a random order; the rest
        // arrives in later rounds, so changes built on unseen history keep piling up.
        for (std::size_t i = 0; i < replicas.size(); ++i) {
            auto& from = replicas[(i + 1 + rng() % 2) % replicas.size()];
            deliver(replicas[i], from.outbox, rng);
            if (HasFatalFailure())
                return;
        }
        for (auto& r : replicas) {
            all.insert(all.end(), r.outbox.begin(), r.outbox.end());
            r.outbox.clear();
        }
    }
    for (auto& r : replicas) {
        deliver(r, all, rng);
        if (HasFatalFailure())
            return;
    }

    const std::string first = doc_test::dump(replicas[0].doc, kRoot);
    for (auto& r : replicas) {
        EXPECT_EQ(doc_test::dump(r.doc, kRoot), first) << "seed " << seed;
        EXPECT_EQ(r.doc.heads(), replicas[0].doc.heads());
        EXPECT_EQ(r.doc.change_count(), replicas[0].doc.change_count());
        EXPECT_EQ(r.doc.apply_changes(all).waiting, 0u);
    }
    // The run must have produced real content to compare, or it shows nothing.
    EXPECT_NE(first, "{}");
}

INSTANTIATE_TEST_SUITE_P(Seeds, Convergence, ::testing::Range<std::uint64_t>(1, 41));

}  // namespace
