#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "runtime/ui/doc/text_diff.hpp"
#include "runtime/ui/persist/log_format.hpp"
#include "runtime/ui/persist/persistent_document.hpp"
#include "support/temp_dir.hpp"
#include "unit/doc/doc_dump.hpp"

namespace {

namespace fs = std::filesystem;
using namespace orvo_ui;
using doc::kRoot;
using doc::ObjId;
using doc::ObjType;
using Bytes = std::vector<std::uint8_t>;

Bytes read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

class PersistTest : public ::testing::Test {
  protected:
    test_support::TempDir temp_{"persist-test"};

    // Each "device" keeps its actor in its own state folder.
    std::unique_ptr<persist::PersistentDocument> open_as(const std::string& device,
                                                         bool watch = false) {
        auto r = persist::open({folder_, root_ / device / "actor", watch});
        EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message);
        return r.ok() ? std::move(r.value()) : nullptr;
    }

    const fs::path root_ = temp_.path();
    const fs::path folder_ = root_ / "document";
};

ObjId ensure_map(doc::Document& d, ObjId parent, const std::string& key) {
    auto v = d.get(parent, key).value();
    if (v && std::holds_alternative<doc::ObjRef>(*v))
        return std::get<doc::ObjRef>(*v).id;
    return d.put_object(parent, key, ObjType::Map).value();
}

// A profile-like entry: a map with a text name and a few scalars.
void write_entry(doc::Document& d, const std::string& id, const std::string& name,
                 std::int64_t port) {
    ObjId e = ensure_map(d, ensure_map(d, kRoot, "connections"), id);
    auto v = d.get(e, "name").value();
    ObjId text = v ? std::get<doc::ObjRef>(*v).id : d.put_object(e, "name", ObjType::Text).value();
    ASSERT_TRUE(doc::splice_text_diffed(d, text, name).ok());
    ASSERT_TRUE(d.put(e, "host", std::string("host-") + id).ok());
    ASSERT_TRUE(d.put(e, "port", port).ok());
    ASSERT_TRUE(d.put(e, "favorite", port % 2 == 0).ok());
}

std::optional<std::int64_t> port_of(const doc::Document& d, const std::string& id) {
    auto conns = d.get(kRoot, "connections");
    if (!conns.ok() || !conns.value())
        return std::nullopt;
    auto e = d.get(std::get<doc::ObjRef>(*conns.value()).id, id);
    if (!e.ok() || !e.value())
        return std::nullopt;
    auto p = d.get(std::get<doc::ObjRef>(*e.value()).id, "port");
    if (!p.ok() || !p.value())
        return std::nullopt;
    return std::get<std::int64_t>(std::get<doc::Scalar>(*p.value()));
}

TEST_F(PersistTest, ReopeningReadsEverythingEveryActorWrote) {
    std::string before;
    {
        auto a = open_as("laptop");
        auto b = open_as("desktop");
        ASSERT_TRUE(a && b);
        for (int i = 0; i < 20; ++i) {
            write_entry(a->document(), "a" + std::to_string(i), "Server ñ " + std::to_string(i), i);
            ASSERT_TRUE(a->commit().ok());
        }
        ASSERT_TRUE(b->refresh());
        write_entry(b->document(), "a3", "Renamed by b", 2222);
        ASSERT_TRUE(
            b->document().delete_key(ensure_map(b->document(), kRoot, "connections"), "a4").ok());
        ASSERT_TRUE(b->commit().value());
        ASSERT_TRUE(a->refresh());
        before = doc_test::dump(a->document(), kRoot);
        EXPECT_EQ(doc_test::dump(b->document(), kRoot), before);
    }
    auto again = open_as("laptop");
    ASSERT_TRUE(again);
    EXPECT_EQ(doc_test::dump(again->document(), kRoot), before);
    EXPECT_EQ(again->document().change_count(), 21u);
    EXPECT_EQ(port_of(again->document(), "a3"), 2222);
    EXPECT_FALSE(port_of(again->document(), "a4").has_value());
    // The device keeps its actor, and so its log, across restarts.
    EXPECT_EQ(fs::path(again->log_path()).filename(),
              persist::log_name(again->document().actor_id()));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

TEST_F(PersistTest, NothingToCommitWritesNothing) {
    auto a = open_as("laptop");
    ASSERT_TRUE(a);
    const auto size = fs::file_size(a->log_path());
    EXPECT_FALSE(a->commit().value());
    write_entry(a->document(), "x", "X", 1);
    EXPECT_TRUE(a->commit().value());
    const auto after_one = fs::file_size(a->log_path());
    EXPECT_GT(after_one, size);
    write_entry(a->document(), "x", "X", 1);  // unchanged
    EXPECT_FALSE(a->commit().value());
    EXPECT_EQ(fs::file_size(a->log_path()), after_one);
}

TEST_F(PersistTest, TwoOpenersGetDifferentActorsAndSeeEachOther) {
    auto first = open_as("laptop", true);
    auto second = open_as("laptop", true);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->document().actor_id(), second->document().actor_id());
    EXPECT_NE(first->log_path(), second->log_path());
    ASSERT_GE(second->watch_fd(), 0);
    EXPECT_FALSE(second->refresh());

    write_entry(first->document(), "p1", "Printer", 631);
    ASSERT_TRUE(first->commit().value());
    pollfd pfd{second->watch_fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 1000), 1) << "no notification of the other instance's commit";
    EXPECT_TRUE(second->refresh());
    EXPECT_EQ(port_of(second->document(), "p1"), 631);
    EXPECT_FALSE(second->refresh());

    write_entry(second->document(), "p1", "Printer", 9100);
    ASSERT_TRUE(second->commit().value());
    EXPECT_TRUE(first->refresh());
    EXPECT_EQ(port_of(first->document(), "p1"), 9100);

    // The per-device actor stays with the first instance.
    second.reset();
    first.reset();
    auto third = open_as("laptop");
    ASSERT_TRUE(third);
    EXPECT_EQ(port_of(third->document(), "p1"), 9100);
}

TEST_F(PersistTest, RefreshCommitsLocalEditsBeforeMerging) {
    auto a = open_as("laptop");
    auto b = open_as("desktop");
    ASSERT_TRUE(a && b);
    write_entry(a->document(), "x", "X", 1);
    ASSERT_TRUE(a->commit().value());
    ASSERT_TRUE(b->refresh());
    write_entry(a->document(), "x", "X", 5);
    ASSERT_TRUE(a->commit().value());
    write_entry(b->document(), "y", "Y", 2);  // not committed
    EXPECT_TRUE(b->refresh());
    EXPECT_FALSE(b->document().has_uncommitted());
    EXPECT_EQ(port_of(b->document(), "x"), 5);
    EXPECT_EQ(port_of(b->document(), "y"), 2);
    EXPECT_TRUE(a->refresh());
    EXPECT_EQ(port_of(a->document(), "y"), 2);
}

// Cut points inside the last record of a log: in its length, in its check value, in its body.
class TornTail : public PersistTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(TornTail, IsToleratedReadLaterAndCutByItsOwner) {
    fs::path log;
    Bytes whole;
    std::size_t last_record = 0;
    {
        auto a = open_as("laptop");
        ASSERT_TRUE(a);
        for (int i = 0; i < 4; ++i) {
            last_record = fs::file_size(a->log_path());
            write_entry(a->document(), "e" + std::to_string(i), "Entry", i + 10);
            ASSERT_TRUE(a->commit().value());
        }
        log = a->log_path();
        whole = read_file(log);
    }
    const std::size_t keep = last_record + GetParam();
    ASSERT_LT(keep, whole.size());
    write_file(log, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(keep)));

    // Another replica reads what is whole, and the rest once the writer finishes it.
    testing::internal::CaptureStderr();
    auto b = open_as("desktop");
    ASSERT_TRUE(b);
    EXPECT_EQ(port_of(b->document(), "e2"), 12);
    EXPECT_FALSE(port_of(b->document(), "e3").has_value());
    write_file(log, whole);
    EXPECT_TRUE(b->refresh());
    EXPECT_EQ(port_of(b->document(), "e3"), 13);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // The owner, reopening after a crash, cuts the torn record and appends after it.
    write_file(log, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(keep)));
    {
        auto a = open_as("laptop");
        ASSERT_TRUE(a);
        EXPECT_EQ(a->log_path(), log);
        EXPECT_EQ(fs::file_size(log), last_record);
        write_entry(a->document(), "late", "Late", 99);
        ASSERT_TRUE(a->commit().value());
    }
    testing::internal::CaptureStderr();
    auto c = open_as("phone");
    ASSERT_TRUE(c);
    EXPECT_EQ(port_of(c->document(), "e2"), 12);
    EXPECT_EQ(port_of(c->document(), "late"), 99);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

INSTANTIATE_TEST_SUITE_P(CutAfter, TornTail, ::testing::Values(1, 3, 5, 8, 20, 60));

TEST_F(PersistTest, ForeignFilesAndBadRecordsAreSkippedReportedOnceAndKept) {
    fs::path x_log;
    Bytes x_bytes;
    {
        auto x = open_as("other");
        ASSERT_TRUE(x);
        write_entry(x->document(), "good", "Good", 1);
        ASSERT_TRUE(x->commit().value());
        const std::size_t second = fs::file_size(x->log_path());
        write_entry(x->document(), "bad", "Bad", 2);
        ASSERT_TRUE(x->commit().value());
        x_log = x->log_path();
        x_bytes = read_file(x_log);
        x_bytes[second + persist::kRecordHeaderSize + 4] ^= 0x55;  // inside the change bytes
        write_file(x_log, x_bytes);
    }
    doc::ActorId stranger;
    stranger.bytes.fill(0x5a);
    const fs::path fake_log = folder_ / persist::log_name(stranger);
    const Bytes fake = {'n', 'o', 't', ' ', 'a', ' ', 'l', 'o', 'g', ' ', 'b', 'u', 't',
                        ' ', 'l', 'o', 'n', 'g', ' ', 'e', 'n', 'o', 'u', 'g', 'h', '!'};
    write_file(fake_log, fake);
    write_file(folder_ / "notes.txt", {'h', 'i'});
    // A log whose header names another actor than its file name.
    Bytes renamed = persist::log_header(doc::ActorId{});
    doc::ActorId named;
    named.bytes.fill(0x77);
    write_file(folder_ / persist::log_name(named), renamed);

    testing::internal::CaptureStderr();
    auto a = open_as("laptop");
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->refresh());
    EXPECT_FALSE(a->refresh());
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(port_of(a->document(), "good"), 1);
    EXPECT_FALSE(port_of(a->document(), "bad").has_value());
    const std::vector<std::string> reports = {"notes.txt", persist::log_name(stranger),
                                              persist::log_name(named), "fails its check"};
    for (const auto& what : reports) {
        const auto first = err.find(what);
        EXPECT_NE(first, std::string::npos) << what << " not reported in:\n" << err;
        EXPECT_EQ(err.find(what, first + 1), std::string::npos) << what << " reported twice";
    }
    EXPECT_EQ(read_file(x_log), x_bytes);
    EXPECT_EQ(read_file(fake_log), fake);
    EXPECT_EQ(read_file(folder_ / persist::log_name(named)), renamed);

    // Still a working document.
    write_entry(a->document(), "mine", "Mine", 3);
    EXPECT_TRUE(a->commit().value());
}

TEST_F(PersistTest, KilledWriterLosesNothingThatWasFsynced) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(fds[0]);
        auto r = persist::open({folder_, root_ / "writer" / "actor", false});
        if (!r.ok())
            ::_exit(2);
        auto& d = r.value()->document();
        // Large commits make it likely that the kill lands inside a write.
        const std::string filler(20000, 'x');
        for (std::uint32_t i = 0;; ++i) {
            ObjId e = ensure_map(d, ensure_map(d, kRoot, "connections"), "k" + std::to_string(i));
            if (!d.put(e, "port", static_cast<std::int64_t>(i)).ok())
                ::_exit(3);
            if (!d.put(e, "notes", filler + std::to_string(i)).ok())
                ::_exit(3);
            if (!r.value()->commit().ok())
                ::_exit(4);
            if (::write(fds[1], &i, sizeof i) != sizeof i)
                ::_exit(5);
        }
    }
    ::close(fds[1]);
    std::uint32_t confirmed = 0, n = 0;
    std::size_t count = 0;
    while (count < 150 && ::read(fds[0], &n, sizeof n) == sizeof n) {
        confirmed = n;
        ++count;
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    while (::read(fds[0], &n, sizeof n) == sizeof n) {
        confirmed = n;
        ++count;
    }
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped on its own with " << WEXITSTATUS(status);
    ASSERT_GE(count, 150u);

    testing::internal::CaptureStderr();
    {
        auto again = open_as("writer");
        ASSERT_TRUE(again);
        for (std::uint32_t i = 0; i <= confirmed; ++i) {
            ASSERT_EQ(port_of(again->document(), "k" + std::to_string(i)), i) << i;
        }
        write_entry(again->document(), "after", "After", 7);
        ASSERT_TRUE(again->commit().value());
    }
    auto reader = open_as("reader");
    ASSERT_TRUE(reader);
    EXPECT_EQ(port_of(reader->document(), "k" + std::to_string(confirmed)), confirmed);
    EXPECT_EQ(port_of(reader->document(), "after"), 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(PersistFolder, DefaultFollowsXdgDataHomeThenHome) {
    struct Case {
        const char* xdg;
        const char* home;
        std::optional<fs::path> expected;
    };
    const std::vector<Case> cases = {
        {"/data", "/home/u", fs::path("/data/orvo/remote/document")},
        {nullptr, "/home/u", fs::path("/home/u/.local/share/orvo/remote/document")},
        {"relative", "/home/u", fs::path("/home/u/.local/share/orvo/remote/document")},
        {nullptr, nullptr, std::nullopt},
    };
    const char* old_xdg = std::getenv("XDG_DATA_HOME");
    const char* old_home = std::getenv("HOME");
    const std::optional<std::string> saved_xdg =
        old_xdg ? std::optional<std::string>(old_xdg) : std::nullopt;
    const std::optional<std::string> saved_home =
        old_home ? std::optional<std::string>(old_home) : std::nullopt;
    auto set = [](const char* name, const char* value) {
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    };
    for (const auto& c : cases) {
        set("XDG_DATA_HOME", c.xdg);
        set("HOME", c.home);
        EXPECT_EQ(persist::default_folder(), c.expected);
    }
    set("XDG_DATA_HOME", saved_xdg ? saved_xdg->c_str() : nullptr);
    set("HOME", saved_home ? saved_home->c_str() : nullptr);
}

}  // namespace
