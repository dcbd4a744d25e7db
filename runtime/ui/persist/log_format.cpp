#include "runtime/ui/persist/log_format.hpp"

#include <algorithm>

#include "runtime/ui/doc/change.hpp"
#include "runtime/ui/persist/crc32c.hpp"

namespace orvo_ui::persist {
namespace {

void put_u32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get_u32(std::span<const std::uint8_t> b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
}

constexpr std::string_view kLogSuffix = ".log";

}  // namespace

std::vector<std::uint8_t> log_header(const doc::ActorId& actor) {
    std::vector<std::uint8_t> out(kLogHeaderSize);
    std::copy(kLogMagic.begin(), kLogMagic.end(), out.begin());
    std::copy(actor.bytes.begin(), actor.bytes.end(), out.begin() + kLogMagic.size());
    return out;
}

std::optional<doc::ActorId> parse_log_header(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kLogHeaderSize)
        return std::nullopt;
    if (!std::equal(kLogMagic.begin(), kLogMagic.end(), bytes.begin()))
        return std::nullopt;
    doc::ActorId actor;
    std::copy_n(bytes.begin() + kLogMagic.size(), actor.bytes.size(), actor.bytes.begin());
    return actor;
}

std::vector<std::uint8_t> log_record(std::span<const std::uint8_t> change) {
    std::vector<std::uint8_t> out(kRecordHeaderSize + change.size());
    put_u32(out.data(), static_cast<std::uint32_t>(change.size()));
    put_u32(out.data() + 4, crc32c(change));
    std::copy(change.begin(), change.end(), out.begin() + kRecordHeaderSize);
    return out;
}

std::optional<doc::ActorId> actor_of_log_name(std::string_view file_name) {
    if (!file_name.ends_with(kLogSuffix))
        return std::nullopt;
    return doc::ActorId::from_hex(file_name.substr(0, file_name.size() - kLogSuffix.size()));
}

std::string log_name(const doc::ActorId& actor) {
    return actor.to_hex() + std::string(kLogSuffix);
}

ScanResult scan_records(std::span<const std::uint8_t> bytes, std::size_t base) {
    ScanResult out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < kRecordHeaderSize) {
            out.torn = true;
            break;
        }
        const std::uint32_t len = get_u32(bytes.subspan(pos, 4));
        const std::uint32_t crc = get_u32(bytes.subspan(pos + 4, 4));
        if (len > doc::kMaxChangeBytes) {
            out.corrupt_length = true;
            break;
        }
        if (bytes.size() - pos - kRecordHeaderSize < len) {
            out.torn = true;
            break;
        }
        auto change = bytes.subspan(pos + kRecordHeaderSize, len);
        if (crc32c(change) == crc) {
            out.records.push_back(Record{base + pos, change});
        } else {
            out.bad_records.push_back(base + pos);
        }
        pos += kRecordHeaderSize + len;
    }
    out.end = base + pos;
    return out;
}

}  // namespace orvo_ui::persist
