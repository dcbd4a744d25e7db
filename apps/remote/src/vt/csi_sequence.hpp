#pragma once
// A control sequence as the parser hands it over: parameters with their sub-parameters,
// intermediate and private-marker bytes, and the final byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace remote::vt {

// Parameters are decimal numbers separated by ';'; a parameter may carry sub-parameters
// separated by ':' ("38:2:255:0:0"). A missing number reads as 0, values saturate at 65,535,
// and at most kMaxValues numbers (parameters and sub-parameters together) are kept.
class CsiParams {
  public:
    static constexpr std::size_t kMaxValues = 32;
    static constexpr std::uint16_t kMaxValue = 65535;

    // Number of parameters (each with its sub-parameters).
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // The values of parameter i: the parameter itself first, then its sub-parameters.
    std::span<const std::uint16_t> operator[](std::size_t i) const {
        return {values_.data() + starts_[i], static_cast<std::size_t>(starts_[i + 1] - starts_[i])};
    }
    // The first value of parameter i, or 0 when there is no such parameter.
    std::uint16_t first(std::size_t i) const { return i < count_ ? values_[starts_[i]] : 0; }

    // More numbers arrived than could be kept.
    bool overflowed() const { return overflowed_; }

    void clear() {
        count_ = 0;
        stored_ = 0;
        overflowed_ = false;
        starts_[0] = 0;
    }

    // Appends a value; a sub-parameter joins the parameter before it.
    void push(std::uint16_t value, bool sub_parameter) {
        if (stored_ == kMaxValues) {
            overflowed_ = true;
            return;
        }
        if (!sub_parameter || count_ == 0) {
            ++count_;
        }
        values_[stored_] = value;
        ++stored_;
        starts_[count_] = stored_;
    }

  private:
    std::array<std::uint16_t, kMaxValues> values_{};
    // starts_[i] is the index of parameter i's first value; starts_[count_] ends the last one.
    std::array<std::uint8_t, kMaxValues + 1> starts_{};
    std::uint8_t count_ = 0;
    std::uint8_t stored_ = 0;
    bool overflowed_ = false;
};

// Private markers ('<' to '?') and intermediate bytes (0x20 to 0x2F), in the order they came.
class CsiIntermediates {
  public:
    static constexpr std::size_t kMax = 4;

    std::span<const std::uint8_t> bytes() const { return {bytes_.data(), count_}; }
    bool overflowed() const { return overflowed_; }

    void clear() {
        count_ = 0;
        overflowed_ = false;
    }
    void push(std::uint8_t byte) {
        if (count_ == kMax) {
            overflowed_ = true;
            return;
        }
        bytes_[count_] = byte;
        ++count_;
    }

  private:
    std::array<std::uint8_t, kMax> bytes_{};
    std::size_t count_ = 0;
    bool overflowed_ = false;
};

struct CsiSequence {
    CsiParams params;
    CsiIntermediates intermediates;
    std::uint8_t final_byte = 0;
};

}  // namespace remote::vt
