#pragma once
// The document kept on disk: a folder holding one append-only log per actor.
//
// Each replica appends its own changes to its own log and never writes another's; it reads
// everybody's logs. Another instance on this machine, or a file-sync tool carrying the folder
// between machines, adds to other logs, and refresh() merges what they appended. A log file
// that is not ours, or a record that fails its check, is skipped and reported once on stderr;
// it is never fatal and never rewritten.
//
// The launcher integrates it into its event loop without threads: it watches watch_fd() for
// readability (when not -1) and also calls refresh() every poll_interval(), since watching
// misses what network and FUSE file systems change.

#include <sys/types.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/ui/doc/document.hpp"
#include "runtime/ui/doc/result.hpp"

namespace orvo_ui::persist {

struct Error {
    std::string message;
};

template <typename T>
using Result = doc::Result<T, Error>;

struct OpenOptions {
    // Default: $XDG_DATA_HOME/orvo/remote/document, else ~/.local/share/orvo/remote/document.
    std::optional<std::filesystem::path> folder;
    // Where this device keeps its actor id. Default: <XDG state dir>/orvo/remote/actor; with
    // no state dir the actor is fresh on every start.
    std::optional<std::filesystem::path> actor_file;
    bool watch = true;
};

class PersistentDocument {
  public:
    PersistentDocument(const PersistentDocument&) = delete;
    PersistentDocument& operator=(const PersistentDocument&) = delete;
    ~PersistentDocument();

    doc::Document& document() { return doc_; }
    const doc::Document& document() const { return doc_; }

    // Seals the document's local edits into a change, appends it to our log and fsyncs.
    // True when something was written. When writing fails the change is kept in memory and
    // the next commit tries again.
    Result<bool> commit();

    // Merges what other actors appended since the last look (committing our own pending
    // edits first); true when the document changed.
    bool refresh();

    // Readable when the folder changed; -1 when the folder is not watched.
    int watch_fd() const { return watch_fd_; }
    // How often to call refresh() besides watching.
    std::chrono::milliseconds poll_interval() const;

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& log_path() const { return log_path_; }
    // Changes committed but not yet on disk.
    std::size_t unsaved() const { return unsaved_.size(); }

  private:
    friend Result<std::unique_ptr<PersistentDocument>> open(const OpenOptions& options);

    struct LogState {
        ino_t inode = 0;
        off_t seen_size = -1;    // size at the last read; unchanged means nothing new
        std::size_t offset = 0;  // next unread byte: the end of the last whole record
        bool foreign = false;
    };

    PersistentDocument(std::filesystem::path folder, doc::ActorId actor, int log_fd,
                       std::size_t log_size);

    void read_other_logs(std::vector<std::vector<std::uint8_t>>& out);
    void read_log(const std::string& name, std::vector<std::vector<std::uint8_t>>& out);
    void merge(const std::vector<std::vector<std::uint8_t>>& changes, bool& changed);
    void report_once(const std::string& key, const std::string& text);
    void start_watching();

    doc::Document doc_;
    std::filesystem::path folder_;
    std::filesystem::path log_path_;
    std::string log_name_;
    int log_fd_ = -1;
    std::size_t log_size_ = 0;
    int watch_fd_ = -1;
    std::deque<std::vector<std::uint8_t>> unsaved_;
    std::map<std::string, LogState> logs_;
    std::set<std::string> reported_;
};

// Opens (creating when needed) the document folder, reads every log into the document and
// takes this device's actor, or a fresh one when another running instance holds its log.
Result<std::unique_ptr<PersistentDocument>> open(const OpenOptions& options = {});

// The folder used when OpenOptions names none, or nothing without XDG_DATA_HOME and HOME.
std::optional<std::filesystem::path> default_folder();

}  // namespace orvo_ui::persist
