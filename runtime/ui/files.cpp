#include "runtime/ui/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace orvo_ui::files {
namespace {

namespace fs = std::filesystem;

std::string errno_text(int err) {
    return std::error_code(err, std::generic_category()).message();
}

FileStatus failure(std::string_view what, const fs::path& subject, int err) {
    return FileStatus{std::string(what) + " " + subject.string() + ": " + errno_text(err)};
}

// Owns an open file descriptor; closing is explicit where its result matters.
class UniqueFd {
  public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now and reports the error of close(2), which may be the first sign of a lost write.
    int close_checked() {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Removes the temporary file unless the rename took it over.
class TemporaryGuard {
  public:
    explicit TemporaryGuard(fs::path path) : path_(std::move(path)) {}
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;
    ~TemporaryGuard() {
        if (armed_) {
            ::unlink(path_.c_str());
        }
    }
    void release() { armed_ = false; }

  private:
    fs::path path_;
    bool armed_ = true;
};

struct Temporary {
    fs::path path;
    int fd = -1;
};

std::string unique_suffix() {
    static std::atomic<std::uint64_t> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::uint64_t mix = static_cast<std::uint64_t>(now) ^ (counter.fetch_add(1) << 40U) ^
                              (static_cast<std::uint64_t>(::getpid()) << 20U);
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4) {
        text.push_back(digits[(mix >> static_cast<unsigned>(shift)) & 0xFU]);
    }
    return text;
}

// Creates a new file next to the target. It starts owner-only, so nothing written later is ever
// visible to anyone the final mode would not allow.
std::variant<Temporary, FileStatus> create_temporary(const fs::path& dir, const fs::path& name) {
    constexpr int attempts = 64;
    int last_error = EEXIST;
    for (int i = 0; i < attempts; ++i) {
        fs::path candidate = dir / ("." + name.string() + "." + unique_suffix() + ".tmp");
        const int fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                   S_IRUSR | S_IWUSR);
        if (fd >= 0) {
            return Temporary{std::move(candidate), fd};
        }
        last_error = errno;
        if (last_error != EEXIST) {
            break;
        }
    }
    return failure("could not create a temporary file in", dir, last_error);
}

int write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Makes the rename itself durable. Some file systems cannot sync a directory and say EINVAL;
// there is nothing more to do on those.
FileStatus sync_directory(const fs::path& dir) {
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        return failure("replaced the file but could not open its folder", dir, errno);
    }
    if (::fsync(fd.get()) != 0 && errno != EINVAL) {
        return failure("replaced the file but could not flush its folder", dir, errno);
    }
    return FileStatus{};
}

}  // namespace

std::optional<fs::path> state_dir() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && fs::path(state).is_absolute()) {
        return fs::path(state);
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && fs::path(home).is_absolute()) {
        return fs::path(home) / ".local" / "state";
    }
    return std::nullopt;
}

FileStatus atomic_replace(const fs::path& path, std::string_view bytes, mode_t mode) {
    if (!path.has_filename()) {
        return FileStatus{"cannot replace " + path.string() + ": the path names no file"};
    }
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");

    auto created = create_temporary(dir, path.filename());
    if (auto* error = std::get_if<FileStatus>(&created)) {
        return std::move(*error);
    }
    Temporary temp = std::get<Temporary>(std::move(created));
    TemporaryGuard guard(temp.path);
    UniqueFd fd(temp.fd);

    if (::fchmod(fd.get(), mode & 0777U) != 0) {
        return failure("could not set the mode of", temp.path, errno);
    }
    if (const int err = write_all(fd.get(), bytes); err != 0) {
        return failure("could not write", temp.path, err);
    }
    if (::fsync(fd.get()) != 0) {
        return failure("could not flush", temp.path, errno);
    }
    if (const int err = fd.close_checked(); err != 0) {
        return failure("could not close", temp.path, err);
    }
    if (::rename(temp.path.c_str(), path.c_str()) != 0) {
        return failure("could not replace", path, errno);
    }
    guard.release();
    return sync_directory(dir);
}

}  // namespace orvo_ui::files
