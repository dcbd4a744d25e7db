#pragma once
// CRC-32C (Castagnoli), the check value of every log record.

#include <cstdint>
#include <span>

namespace orvo_ui::persist {

std::uint32_t crc32c(std::span<const std::uint8_t> bytes);

}  // namespace orvo_ui::persist
