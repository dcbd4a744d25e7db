// The profile document at scale: opening a folder of 10,000 profiles written by two actors and
// reading them all, and merging 10,000 changes from another replica.
// Goals on the reference machine: open + read under 150 ms, merge under 50 ms.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/doc/document.hpp"
#include "runtime/ui/doc/text_diff.hpp"
#include "runtime/ui/persist/persistent_document.hpp"

namespace {

namespace fs = std::filesystem;
using namespace orvo_ui;
using doc::kRoot;
using doc::ObjId;
using doc::ObjType;

constexpr int kProfiles = 10'000;

// A profile-shaped entry, written as one commit like a saved form: a map under its id with a
// text name and nine scalars.
void write_profile(doc::Document& d, ObjId conns, int n) {
    char id[40];
    std::snprintf(id, sizeof id, "%08x-0000-4000-8000-%012x", n * 2654435761u, n);
    ObjId e = d.put_object(conns, id, ObjType::Map).value();
    ObjId name = d.put_object(e, "name", ObjType::Text).value();
    (void)doc::splice_text_diffed(d, name, "Server number " + std::to_string(n));
    (void)d.put(e, "host", "host-" + std::to_string(n) + ".example.net");
    (void)d.put(e, "port", std::int64_t{22});
    (void)d.put(e, "user", std::string("admin"));
    (void)d.put(e, "kind", std::string(n % 3 == 0 ? "VNC" : "SSH"));
    (void)d.put(e, "auth", std::string("Public key"));
    (void)d.put(e, "last_used", std::string("2026-12-01 10:00"));
    (void)d.put(e, "presence", std::string("unknown"));
    (void)d.put(e, "group", std::string("Group ") + std::to_string(n % 17));
    (void)d.put(e, "favorite", n % 5 == 0);
}

ObjId connections(doc::Document& d) {
    auto v = d.get(kRoot, "connections").value();
    if (v)
        return std::get<doc::ObjRef>(*v).id;
    return d.put_object(kRoot, "connections", ObjType::Map).value();
}

struct Fixture {
    fs::path root;
    fs::path folder;
    std::vector<std::vector<std::uint8_t>> base;    // every change in the folder
    std::vector<std::vector<std::uint8_t>> remote;  // 10,000 more from a third replica

    Fixture() {
        char tmpl[] = "/tmp/bench-doc-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr)
            std::abort();
        root = tmpl;
        folder = root / "document";
        auto a = persist::open({folder, root / "a" / "actor", false});
        auto b = persist::open({folder, root / "b" / "actor", false});
        if (!a.ok() || !b.ok())
            std::abort();
        auto& da = a.value()->document();
        connections(da);
        (void)a.value()->commit();
        b.value()->refresh();
        auto& db = b.value()->document();
        for (int n = 0; n < kProfiles; ++n) {
            auto& p = n % 2 == 0 ? a.value() : b.value();
            write_profile(p->document(), connections(p->document()), n);
            if (!p->commit().ok())
                std::abort();
        }
        a.value()->refresh();
        b.value()->refresh();
        base = db.changes_since({});

        doc::Document other;
        other.apply_changes(base);
        for (int n = kProfiles; n < 2 * kProfiles; ++n) {
            write_profile(other, connections(other), n);
            remote.push_back(other.commit()->bytes);
        }
    }
    ~Fixture() { fs::remove_all(root); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Reads every profile field by field, as the profile list does.
std::size_t read_all(const doc::Document& d) {
    std::size_t bytes = 0;
    auto conns = d.get(kRoot, "connections").value();
    if (!conns)
        return 0;
    const ObjId c = std::get<doc::ObjRef>(*conns).id;
    for (const auto& key : d.keys(c).value()) {
        const ObjId e = std::get<doc::ObjRef>(*d.get(c, key).value()).id;
        for (const char* field : {"host", "port", "user", "kind", "auth", "last_used", "presence",
                                  "group", "favorite"}) {
            auto v = d.get(e, field).value();
            bytes += v.has_value();
        }
        auto name = d.get(e, "name").value();
        bytes += d.text(std::get<doc::ObjRef>(*name).id).value().size();
    }
    return bytes;
}

void BM_OpenAndReadProfiles(benchmark::State& state) {
    Fixture& f = fixture();
    std::size_t profiles = 0;
    for (auto _ : state) {
        auto opened = persist::open({f.folder, f.root / "reader" / "actor", false});
        if (!opened.ok()) {
            state.SkipWithError(opened.error().message.c_str());
            return;
        }
        auto& d = opened.value()->document();
        benchmark::DoNotOptimize(read_all(d));
        // Tearing the document down is not part of opening it.
        state.PauseTiming();
        profiles = d.keys(connections(d)).value().size();
        opened.value().reset();
        state.ResumeTiming();
    }
    state.counters["profiles"] = static_cast<double>(profiles);
    state.counters["changes"] = static_cast<double>(f.base.size());
}
BENCHMARK(BM_OpenAndReadProfiles)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MergeRemoteChanges(benchmark::State& state) {
    Fixture& f = fixture();
    std::size_t applied = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto d = std::make_unique<doc::Document>();
        d->apply_changes(f.base);
        state.ResumeTiming();
        applied = d->apply_changes(f.remote).applied;
        state.PauseTiming();
        d.reset();
        state.ResumeTiming();
    }
    state.counters["merged"] = static_cast<double>(applied);
}
BENCHMARK(BM_MergeRemoteChanges)->Unit(benchmark::kMillisecond)->Iterations(10);

// The share of merging that is hashing and decoding the change bytes.
void BM_HashAndDecodeChanges(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        for (const auto& c : f.remote) {
            benchmark::DoNotOptimize(doc::hash_change(c));
            benchmark::DoNotOptimize(doc::decode_change(c).ok());
        }
    }
    state.counters["changes"] = static_cast<double>(f.remote.size());
}
BENCHMARK(BM_HashAndDecodeChanges)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
