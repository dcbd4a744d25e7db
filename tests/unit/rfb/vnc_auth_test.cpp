#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "rfb/vnc_auth.hpp"

namespace remote::rfb {
namespace {

std::array<std::uint8_t, 8> hex8(std::uint64_t v) {
    std::array<std::uint8_t, 8> out{};
    for (int i = 7; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
        v >>= 8;
    }
    return out;
}

TEST(VncAuth, DesMatchesPublishedVectorsIncludingTheAllZeroWeakKey) {
    struct Case {
        std::uint64_t key, plain, cipher;
    };
    const std::vector<Case> cases = {
        {0x133457799BBCDFF1, 0x0123456789ABCDEF, 0x85E813540F0AB405},
        {0x0000000000000000, 0x0000000000000000, 0x8CA64DE9C1B123A7},
        {0x0123456789ABCDEF, 0x4E6F772069732074, 0x3FA40E8A984D4815},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(des_encrypt_block(hex8(c.key), hex8(c.plain)), hex8(c.cipher))
            << std::hex << c.key;
    }
}

TEST(VncAuth, KeyReversesBitsOfTheFirstEightBytes) {
    struct Case {
        std::optional<std::string> password;
        DesKey key;
    };
    const std::vector<Case> cases = {
        {std::nullopt, {0, 0, 0, 0, 0, 0, 0, 0}},
        {std::string(), {0, 0, 0, 0, 0, 0, 0, 0}},
        {std::string("\x01"), {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {std::string("a"), {0x86, 0, 0, 0, 0, 0, 0, 0}},
        {std::string("abcdefgh"), {0x86, 0x46, 0xC6, 0x26, 0xA6, 0x66, 0xE6, 0x16}},
        {std::string("abcdefghXYZ"), {0x86, 0x46, 0xC6, 0x26, 0xA6, 0x66, 0xE6, 0x16}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vnc_des_key(c.password), c.key) << c.password.value_or("<none>");
    }
}

TEST(VncAuth, ResponseEncryptsBothHalvesSeparately) {
    VncChallenge challenge{};
    for (std::size_t i = 0; i < 16; ++i) {
        challenge[i] = static_cast<std::uint8_t>(i * 17);
    }
    const auto key = vnc_des_key(std::string("secret"));
    const auto response = vnc_auth_response(challenge, std::string("secret"));
    std::array<std::uint8_t, 8> lo{}, hi{};
    std::copy_n(challenge.begin(), 8, lo.begin());
    std::copy_n(challenge.begin() + 8, 8, hi.begin());
    const auto a = des_encrypt_block(key, lo);
    const auto b = des_encrypt_block(key, hi);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), response.begin()));
    EXPECT_TRUE(std::equal(b.begin(), b.end(), response.begin() + 8));
    // A long password authenticates as its first eight bytes.
    EXPECT_EQ(vnc_auth_response(challenge, std::string("secret12")),
              vnc_auth_response(challenge, std::string("secret12-and-more")));
    EXPECT_NE(vnc_auth_response(challenge, std::string("secret12")),
              vnc_auth_response(challenge, std::string("secret13")));
}

}  // namespace
}  // namespace remote::rfb
