#pragma once
// The per-actor log file: a header naming the format and the actor, then records of
//   u32 little-endian length, u32 little-endian CRC-32C of the change bytes, change bytes.
// Writers only ever append, and fsync after each commit; a crash can leave at most one torn
// record at the end.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/doc/types.hpp"

namespace orvo_ui::persist {

inline constexpr std::string_view kLogMagic = "ORVODOC1";
inline constexpr std::size_t kLogHeaderSize = 8 + 16;
inline constexpr std::size_t kRecordHeaderSize = 8;

std::vector<std::uint8_t> log_header(const doc::ActorId& actor);
// The actor a header names, or nothing when the bytes are not one of our headers.
std::optional<doc::ActorId> parse_log_header(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> log_record(std::span<const std::uint8_t> change);

// "<32 hex digits>.log" -> the actor; anything else is not one of our logs.
std::optional<doc::ActorId> actor_of_log_name(std::string_view file_name);
std::string log_name(const doc::ActorId& actor);

struct Record {
    std::size_t offset = 0;  // of the record header, in the file
    std::span<const std::uint8_t> change;
};

struct ScanResult {
    std::vector<Record> records;
    std::vector<std::size_t> bad_records;  // offsets of records whose CRC-32C does not match
    // Where reading stopped: the end of the last whole record. Bytes after it are a record
    // still being written, or one torn by a crash.
    std::size_t end = 0;
    bool torn = false;
    // A length field beyond any change: nothing after it can be read.
    bool corrupt_length = false;
};

// Scans `bytes`, which hold the file from offset `base` on, for whole records.
ScanResult scan_records(std::span<const std::uint8_t> bytes, std::size_t base);

}  // namespace orvo_ui::persist
