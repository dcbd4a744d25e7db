#include "runtime/ui/doc/flat_index.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using orvo_ui::doc::FlatIndex;

// Hashes that pile keys onto few slots, so probing past occupied slots and wrapping around the
// end of the table are exercised, not just the happy path.
struct Collide {
    std::size_t operator()(std::uint64_t) const { return 7; }
};
struct Identity {
    std::size_t operator()(std::uint64_t k) const { return k; }
};
struct Modulo3 {
    std::size_t operator()(std::uint64_t k) const { return k % 3; }
};

template <typename Hash>
void check_index(std::uint64_t count) {
    FlatIndex<std::uint64_t, Hash> index;
    for (std::uint64_t k = 0; k < count; ++k) {
        ASSERT_TRUE(index.insert(k * 16 + 5, static_cast<std::uint32_t>(k)));
        // A second insert of a present key keeps the first number.
        ASSERT_FALSE(index.insert(k * 16 + 5, 999'999));
    }
    EXPECT_EQ(index.size(), count);
    for (std::uint64_t k = 0; k < count; ++k) {
        const std::uint32_t* at = index.find(k * 16 + 5);
        ASSERT_NE(at, nullptr) << k;
        EXPECT_EQ(*at, k);
        EXPECT_FALSE(index.contains(k * 16 + 6));
    }
}

TEST(FlatIndex, FindsEveryKeyThroughGrowthAndCollisions) {
    check_index<Collide>(300);
    check_index<Identity>(5'000);
    check_index<Modulo3>(1'000);
}

TEST(FlatIndex, EmptyAndReservedIndexesAnswerMisses) {
    FlatIndex<std::uint64_t, Identity> index;
    EXPECT_EQ(index.find(0), nullptr);
    index.reserve(1'000);
    EXPECT_EQ(index.find(0), nullptr);
    EXPECT_TRUE(index.insert(0, 1));
    index.reserve(10);  // never shrinks
    ASSERT_NE(index.find(0), nullptr);
    EXPECT_EQ(*index.find(0), 1u);
}

}  // namespace
