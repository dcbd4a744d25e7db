#include "runtime/ui/persist/persistent_document.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "runtime/ui/persist/actor_file.hpp"
#include "runtime/ui/persist/log_format.hpp"

namespace orvo_ui::persist {
namespace {

std::string errno_text(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Reads [offset, size) of an open file.
bool read_range(int fd, std::size_t offset, std::size_t size, std::vector<std::uint8_t>& out) {
    out.resize(size - offset);
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            out.resize(done);
            return n == 0;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool write_all_at(int fd, std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                             static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void fsync_dir(const std::filesystem::path& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

std::optional<std::filesystem::path> absolute_env(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || v[0] != '/')
        return std::nullopt;
    return std::filesystem::path(v);
}

// Our own log, locked for writing, with its whole records read.
struct OwnLog {
    doc::ActorId actor;
    int fd = -1;
    std::size_t size = 0;
    std::vector<std::vector<std::uint8_t>> changes;
};

enum class Claim { Claimed, Busy, Unusable };

// Takes the log of `actor` if no running instance holds it and it is one of ours. A torn
// record at its end was never acknowledged as committed and is cut off, so that the next
// append starts on a record boundary.
Claim claim_log(const std::filesystem::path& folder, const doc::ActorId& actor, OwnLog& out,
                std::string& why) {
    const auto path = folder / log_name(actor);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = errno_text("open " + path.string());
        return Claim::Unusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Claim::Busy;
    }
    struct stat st {};
    std::vector<std::uint8_t> bytes;
    if (::fstat(fd, &st) != 0 || !read_range(fd, 0, static_cast<std::size_t>(st.st_size), bytes)) {
        why = errno_text("read " + path.string());
        ::close(fd);
        return Claim::Unusable;
    }
    const auto header = log_header(actor);
    if (bytes.size() < header.size()) {
        // Empty, or a header cut short by a crash: nothing was ever committed here.
        if (!std::equal(bytes.begin(), bytes.end(), header.begin())) {
            why = path.string() + " is not a document log";
            ::close(fd);
            return Claim::Unusable;
        }
        if (::ftruncate(fd, 0) != 0 || !write_all_at(fd, header, 0) || ::fsync(fd) != 0) {
            why = errno_text("write " + path.string());
            ::close(fd);
            return Claim::Unusable;
        }
        fsync_dir(folder);
        out = OwnLog{actor, fd, header.size(), {}};
        return Claim::Claimed;
    }
    if (parse_log_header(bytes) != actor) {
        why = path.string() + " is not a document log";
        ::close(fd);
        return Claim::Unusable;
    }
    auto body = std::span<const std::uint8_t>(bytes).subspan(kLogHeaderSize);
    ScanResult scan = scan_records(body, kLogHeaderSize);
    if (scan.corrupt_length) {
        why = path.string() + ": unreadable record at offset " + std::to_string(scan.end);
        ::close(fd);
        return Claim::Unusable;
    }
    if (scan.torn && ::ftruncate(fd, static_cast<off_t>(scan.end)) != 0) {
        why = errno_text("truncate " + path.string());
        ::close(fd);
        return Claim::Unusable;
    }
    if (!scan.bad_records.empty()) {
        std::fprintf(stderr, "document: %s: %zu record(s) fail their check and are skipped\n",
                     path.c_str(), scan.bad_records.size());
    }
    out = OwnLog{actor, fd, scan.end, {}};
    for (const auto& r : scan.records)
        out.changes.emplace_back(r.change.begin(), r.change.end());
    return Claim::Claimed;
}

}  // namespace

std::optional<std::filesystem::path> default_folder() {
    if (auto data = absolute_env("XDG_DATA_HOME"))
        return *data / "orvo" / "remote" / "document";
    if (auto home = absolute_env("HOME")) {
        return *home / ".local" / "share" / "orvo" / "remote" / "document";
    }
    return std::nullopt;
}

Result<std::unique_ptr<PersistentDocument>> open(const OpenOptions& options) {
    auto folder = options.folder ? options.folder : default_folder();
    if (!folder)
        return Error{"no document folder: neither XDG_DATA_HOME nor HOME is set"};
    std::error_code ec;
    std::filesystem::create_directories(*folder, ec);
    if (ec)
        return Error{"create " + folder->string() + ": " + ec.message()};

    auto actor_file = options.actor_file ? options.actor_file : default_actor_file();
    doc::ActorId actor = actor_file ? load_or_create_actor(*actor_file) : doc::ActorId::random();
    OwnLog own;
    for (int attempt = 0;; ++attempt) {
        std::string why;
        const Claim claim = claim_log(*folder, actor, own, why);
        if (claim == Claim::Claimed)
            break;
        if (claim == Claim::Unusable) {
            if (attempt >= 3)
                return Error{why};
            std::fprintf(stderr, "document: %s; writing a new log instead\n", why.c_str());
        }
        // Held by another running instance, or unusable: this run writes under a fresh actor.
        actor = doc::ActorId::random();
    }

    std::unique_ptr<PersistentDocument> pd(
        new PersistentDocument(*folder, own.actor, own.fd, own.size));
    std::vector<std::vector<std::uint8_t>> changes = std::move(own.changes);
    pd->read_other_logs(changes);
    bool changed = false;
    pd->merge(changes, changed);
    if (options.watch)
        pd->start_watching();
    return pd;
}

PersistentDocument::PersistentDocument(std::filesystem::path folder, doc::ActorId actor, int log_fd,
                                       std::size_t log_size)
    : doc_(actor),
      folder_(std::move(folder)),
      log_path_(folder_ / log_name(actor)),
      log_name_(log_name(actor)),
      log_fd_(log_fd),
      log_size_(log_size) {}

PersistentDocument::~PersistentDocument() {
    if (watch_fd_ >= 0)
        ::close(watch_fd_);
    if (log_fd_ >= 0)
        ::close(log_fd_);  // releases the lock
}

std::chrono::milliseconds PersistentDocument::poll_interval() const {
    return std::chrono::milliseconds(watch_fd_ >= 0 ? 2000 : 500);
}

void PersistentDocument::start_watching() {
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return;
    const std::uint32_t mask = IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_DELETE;
    if (::inotify_add_watch(fd, folder_.c_str(), mask) < 0) {
        ::close(fd);
        return;
    }
    watch_fd_ = fd;
}

Result<bool> PersistentDocument::commit() {
    if (auto change = doc_.commit())
        unsaved_.push_back(std::move(change->bytes));
    if (unsaved_.empty())
        return false;
    while (!unsaved_.empty()) {
        const auto record = log_record(unsaved_.front());
        if (!write_all_at(log_fd_, record, log_size_) || ::fsync(log_fd_) != 0) {
            const std::string why = errno_text("append to " + log_path_.string());
            // Leave the log ending on a record boundary; the change stays queued.
            (void)::ftruncate(log_fd_, static_cast<off_t>(log_size_));
            return Error{why};
        }
        log_size_ += record.size();
        unsaved_.pop_front();
    }
    return true;
}

bool PersistentDocument::refresh() {
    if (doc_.has_uncommitted())
        (void)commit();
    if (watch_fd_ >= 0) {
        alignas(inotify_event) char buf[4096];
        while (::read(watch_fd_, buf, sizeof buf) > 0) {
        }
    }
    std::vector<std::vector<std::uint8_t>> changes;
    read_other_logs(changes);
    bool changed = false;
    merge(changes, changed);
    return changed;
}

void PersistentDocument::merge(const std::vector<std::vector<std::uint8_t>>& changes,
                               bool& changed) {
    if (changes.empty())
        return;
    const doc::ApplyReport report = doc_.apply_changes(changes);
    changed = report.applied > 0;
    for (const auto& e : report.rejected)
        report_once("rejected:" + e.message, e.message);
}

void PersistentDocument::read_other_logs(std::vector<std::vector<std::uint8_t>>& out) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder_, ec);
    if (ec) {
        report_once("folder", "cannot read " + folder_.string() + ": " + ec.message());
        return;
    }
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (name == log_name_)
            continue;
        if (!actor_of_log_name(name)) {
            report_once(name, (folder_ / name).string() + ": not a document log, skipped");
            continue;
        }
        read_log(name, out);
    }
}

void PersistentDocument::read_log(const std::string& name,
                                  std::vector<std::vector<std::uint8_t>>& out) {
    const auto path = folder_ / name;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        if (errno != ENOENT)
            report_once(name, errno_text("open " + path.string()));
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        report_once(name, path.string() + ": not a document log, skipped");
        return;
    }
    LogState& log = logs_[name];
    if (st.st_ino != log.inode || static_cast<std::size_t>(st.st_size) < log.offset) {
        // Replaced (a sync tool writes a new file and renames it) or cut: read it anew;
        // changes already applied are recognised and skipped.
        log = LogState{st.st_ino, -1, 0, false};
    }
    if (st.st_size == log.seen_size || (log.foreign && st.st_size >= log.seen_size)) {
        ::close(fd);
        return;
    }
    std::vector<std::uint8_t> bytes;
    const bool read_ok = read_range(fd, log.offset, static_cast<std::size_t>(st.st_size), bytes);
    ::close(fd);
    if (!read_ok) {
        report_once(name, errno_text("read " + path.string()));
        return;
    }
    log.seen_size = st.st_size;
    std::span<const std::uint8_t> body(bytes);
    std::size_t base = log.offset;
    if (log.offset == 0) {
        if (bytes.size() < kLogHeaderSize) {
            log.seen_size = -1;  // still being created; look again later
            return;
        }
        if (parse_log_header(bytes) != actor_of_log_name(name)) {
            log.foreign = true;
            report_once(name, path.string() + ": not a document log, skipped");
            return;
        }
        body = body.subspan(kLogHeaderSize);
        base = kLogHeaderSize;
    }
    const ScanResult scan = scan_records(body, base);
    for (std::size_t bad : scan.bad_records) {
        report_once(name + ":" + std::to_string(bad), path.string() + ": record at offset " +
                                                          std::to_string(bad) +
                                                          " fails its check, skipped");
    }
    if (scan.corrupt_length) {
        report_once(name + ":" + std::to_string(scan.end),
                    path.string() + ": unreadable record at offset " + std::to_string(scan.end) +
                        "; the rest of this log is skipped");
    }
    for (const auto& r : scan.records)
        out.emplace_back(r.change.begin(), r.change.end());
    log.offset = scan.end;
}

void PersistentDocument::report_once(const std::string& key, const std::string& text) {
    if (reported_.insert(key).second)
        std::fprintf(stderr, "document: %s\n", text.c_str());
}

}  // namespace orvo_ui::persist
