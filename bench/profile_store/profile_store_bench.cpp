// Saved profiles at scale, through the application's own store: open a document folder of
// 10,000 profiles written by two actors and read them with read_profiles; merge 10,000 changes
// (one saved profile each) from another replica into it.
// Goals on this machine: open + read under 150 ms, merge under 50 ms.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "doc/profile_store.hpp"
#include "runtime/ui/persist/persistent_document.hpp"

namespace {

namespace fs = std::filesystem;
using namespace remote;

constexpr int kProfiles = 10'000;

ConnectionProfile sample(int n) {
    ConnectionProfile p;
    p.id = Uuid::random_v4();
    p.name = "Server number " + std::to_string(n);
    p.kind = n % 3 == 0 ? ConnectionKind::Vnc : ConnectionKind::Ssh;
    p.host = "host-" + std::to_string(n) + ".example.net";
    p.port = static_cast<std::uint16_t>(n % 3 == 0 ? 5900 : 22);
    p.user = n % 3 == 0 ? "" : "admin";
    p.auth = n % 3 == 0 ? AuthMethod::Password : AuthMethod::PublicKey;
    p.group = "Group " + std::to_string(n % 17);
    p.favorite = n % 5 == 0;
    return p;
}

orvo_ui::persist::OpenOptions options(const fs::path& folder, const fs::path& actor) {
    orvo_ui::persist::OpenOptions o;
    o.folder = folder;
    o.actor_file = actor;
    o.watch = false;
    return o;
}

// A folder holding 10,000 profiles, half saved by each of two actors, one commit per save.
fs::path make_folder() {
    static const fs::path folder = [] {
        const fs::path root =
            fs::temp_directory_path() / ("remote-bench-store-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (int actor = 0; actor < 2; ++actor) {
            auto opened = orvo_ui::persist::open(
                options(root / "doc", root / ("actor" + std::to_string(actor))));
            auto store = std::move(opened).value();
            for (int n = actor; n < kProfiles; n += 2) {
                write_profile(store->document(), sample(n));
                (void)store->commit();
            }
        }
        return root;
    }();
    return folder;
}

void OpenAndRead(benchmark::State& state) {
    const fs::path root = make_folder();
    std::size_t read = 0;
    for (auto _ : state) {
        auto store = orvo_ui::persist::open(options(root / "doc", root / "reader")).value();
        read = read_profiles(store->document()).size();
        benchmark::DoNotOptimize(read);
    }
    state.counters["profiles"] = static_cast<double>(read);
}
BENCHMARK(OpenAndRead)->Unit(benchmark::kMillisecond)->Iterations(5);

// The changes another replica makes on top of the folder: 10,000 more saved profiles.
struct ReplicaChanges {
    std::vector<std::vector<std::uint8_t>> base;    // everything in the folder
    std::vector<std::vector<std::uint8_t>> remote;  // one saved profile each
};

const ReplicaChanges& replica_changes() {
    static const ReplicaChanges changes = [] {
        const fs::path root = make_folder();
        auto store = orvo_ui::persist::open(options(root / "doc", root / "replica")).value();
        ReplicaChanges c;
        c.base = store->document().changes_since({});
        ProfileDocument other;
        other.apply_changes(c.base);
        const auto heads = other.heads();
        for (int n = kProfiles; n < 2 * kProfiles; ++n) {
            write_profile(other, sample(n));
            (void)other.commit();
        }
        c.remote = other.changes_since(heads);
        return c;
    }();
    return changes;
}

// The running case: our document holds the folder's 10,000 profiles and another replica's
// 10,000 saves arrive (reading them back is not timed).
void MergeFromReplica(benchmark::State& state) {
    const ReplicaChanges& changes = replica_changes();
    std::size_t read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto mine = std::make_unique<ProfileDocument>();
        mine->apply_changes(changes.base);
        state.ResumeTiming();
        mine->apply_changes(changes.remote);
        state.PauseTiming();
        read = read_profiles(*mine).size();
        benchmark::DoNotOptimize(read);
        mine.reset();
        state.ResumeTiming();
    }
    state.counters["changes"] = static_cast<double>(changes.remote.size());
    state.counters["profiles"] = static_cast<double>(read);
}
BENCHMARK(MergeFromReplica)->Unit(benchmark::kMillisecond)->Iterations(5);

// A new replica receiving everything at once: the same 10,000 saves into an empty document.
// Most of its time is the first touch of the memory the profiles take.
void MergeIntoEmptyDocument(benchmark::State& state) {
    ProfileDocument other;
    for (int n = 0; n < kProfiles; ++n) {
        write_profile(other, sample(n));
        (void)other.commit();
    }
    const auto changes = other.changes_since({});
    std::size_t read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto mine = std::make_unique<ProfileDocument>();
        state.ResumeTiming();
        mine->apply_changes(changes);
        state.PauseTiming();
        read = read_profiles(*mine).size();
        benchmark::DoNotOptimize(read);
        mine.reset();
        state.ResumeTiming();
    }
    state.counters["changes"] = static_cast<double>(changes.size());
    state.counters["profiles"] = static_cast<double>(read);
}
BENCHMARK(MergeIntoEmptyDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
