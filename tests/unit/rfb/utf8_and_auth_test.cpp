#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rfb/utf8.hpp"
#include "rfb/vnc_auth.hpp"

namespace remote::rfb {
namespace {

std::vector<std::uint8_t> bytes_of(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(Utf8, LossyDecodingReplacesEachMaximalIllFormedSubpart) {
    struct Case {
        const char* what;
        std::string in;
        std::string out;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"ascii", "VNC desktop", "VNC desktop", true},
        {"two-byte", "caf\xC3\xA9", "caf\xC3\xA9", true},
        {"four-byte", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", true},
        {"lone continuation", "a\x80z", "a\xEF\xBF\xBDz", false},
        {"overlong slash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"truncated three-byte is one subpart", "\xE2\x82", "\xEF\xBF\xBD", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
         false},
        {"truncated then ascii", "\xF0\x9F\x98x", "\xEF\xBF\xBDx", false},
        {"0xFF", "\xFF", "\xEF\xBF\xBD", false},
    };
    for (const auto& c : cases) {
        const auto b = bytes_of(c.in);
        EXPECT_EQ(decode_utf8_lossy(b), c.out) << c.what;
        EXPECT_EQ(is_valid_utf8(b), c.valid) << c.what;
    }
}

TEST(Utf8, FirstCodePoint) {
    EXPECT_EQ(first_code_point("a"), U'a');
    EXPECT_EQ(first_code_point("\xC3\xA9t\xC3\xA9"), U'\u00E9');
    EXPECT_EQ(first_code_point("\xE2\x82\xAC"), U'\u20AC');
    EXPECT_FALSE(first_code_point(""));
    EXPECT_FALSE(first_code_point("\x80"));
}

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
