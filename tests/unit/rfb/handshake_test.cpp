#include "rfb/handshake.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_builder.hpp"
#include "rfb/vnc_auth.hpp"

namespace remote::rfb {
namespace {

using testing::Bytes;

std::optional<ProtocolVersion> parse(std::string_view twelve) {
    std::array<std::uint8_t, 12> b{};
    std::copy_n(twelve.begin(), 12, b.begin());
    return parse_protocol_version(b);
}

TEST(ProtocolVersionParsing, AcceptsAndRefusesByTheExactRules) {
    struct Case {
        const char* twelve;
        std::optional<ProtocolVersion> expected;
    };
    const std::vector<Case> cases = {
        {"RFB 003.008\n", ProtocolVersion{3, 8}},
        {"RFB 003.003\n", ProtocolVersion{3, 3}},
        {"RFB 004.001\n", ProtocolVersion{4, 1}},
        {"RFB 255.255\n", ProtocolVersion{255, 255}},
        {"RFB +03.+08\n", ProtocolVersion{3, 8}},
        {"RFB 3.8 \t\r\n\n", ProtocolVersion{3, 8}},
        {"RFB 3.889\n\n\n", std::nullopt},  // 889 does not fit in 8 bits
        {"RFB 256.008\n", std::nullopt},
        {"RFB 003-008\n", std::nullopt},     // no dot
        {"RFB 003.\n\n\n\n", std::nullopt},  // empty minor
        {"RFB .008\n\n\n\n", std::nullopt},  // empty major
        {"RFB -03.008\n", std::nullopt},
        {"RFB 003.0x8\n", std::nullopt},
        {"RFB 0 3.008\n", std::nullopt},
        {"rfb 003.008\n", std::nullopt},
        {"RFB003.008\n\n", std::nullopt},
        {"RFB 003.008\xFF", std::nullopt},                     // not UTF-8
        {"RFB 3.8\xC2\xA0\xC2\xA0\n", ProtocolVersion{3, 8}},  // trailing no-break spaces trimmed
        {"RFB 3.8\n1.2\n", std::nullopt},  // only trailing white space is removed
        {"RFB +.8\n\n\n\n", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(c.twelve), c.expected) << c.twelve;
    }
}

TEST(ProtocolVersionChoice, AnswersThreeThreeThreeSevenOrThreeEight) {
    struct Case {
        ProtocolVersion server, chosen;
    };
    const std::vector<Case> cases = {
        {{2, 9}, {3, 3}}, {{3, 0}, {3, 3}}, {{3, 3}, {3, 3}},   {{3, 5}, {3, 3}}, {{3, 6}, {3, 3}},
        {{3, 7}, {3, 7}}, {{3, 8}, {3, 8}}, {{3, 255}, {3, 8}}, {{4, 1}, {3, 8}}, {{0, 0}, {3, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(choose_protocol_version(c.server), c.chosen)
            << int(c.server.major) << "." << int(c.server.minor);
        const auto text = encode_protocol_version(c.chosen);
        EXPECT_EQ(std::string(text.begin(), text.end()),
                  "RFB 003.00" + std::to_string(c.chosen.minor) + "\n");
    }
}

VncChallenge sample_challenge() {
    VncChallenge c{};
    for (std::size_t i = 0; i < c.size(); ++i) {
        c[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    return c;
}

std::vector<std::uint8_t> challenge_bytes() {
    const auto c = sample_challenge();
    return {c.begin(), c.end()};
}

std::vector<std::uint8_t> response_bytes(const std::optional<std::string>& password) {
    const auto r = vnc_auth_response(sample_challenge(), password);
    return {r.begin(), r.end()};
}

struct HandshakeCase {
    const char* what;
    std::vector<std::uint8_t> server;
    std::optional<std::string> password;
    std::vector<std::uint8_t> client;  // everything the client must write
    std::optional<std::string> error;  // expected failure text, none for success
};

std::vector<HandshakeCase> handshake_cases() {
    const auto init = Bytes().server_init(640, 480, "desk").vec();
    const auto v33 = std::string("RFB 003.003\n");
    const auto v37 = std::string("RFB 003.007\n");
    const auto v38 = std::string("RFB 003.008\n");
    return {
        {"3.8 None with SecurityResult", Bytes().text(v38).u8(1).u8(1).u32(0).append(init),
         std::nullopt, Bytes().text(v38).u8(1).u8(1), std::nullopt},
        {"3.8 prefers None even when offered second and a password is set",
         Bytes().text(v38).u8(2).u8(2).u8(1).u32(0).append(init), std::string("pw"),
         Bytes().text(v38).u8(1).u8(1), std::nullopt},
        {"3.7 None reads no SecurityResult", Bytes().text(v37).u8(1).u8(1).append(init),
         std::nullopt, Bytes().text(v37).u8(1).u8(1), std::nullopt},
        {"4.1 is answered as 3.8", Bytes().text("RFB 004.001\n").u8(1).u8(1).u32(0).append(init),
         std::nullopt, Bytes().text(v38).u8(1).u8(1), std::nullopt},
        {"3.5 is answered as 3.3", Bytes().text("RFB 003.005\n").u32(1).append(init), std::nullopt,
         Bytes().text(v33).u8(1), std::nullopt},
        {"3.3 None", Bytes().text(v33).u32(1).append(init), std::nullopt, Bytes().text(v33).u8(1),
         std::nullopt},
        {"3.3 examines only the lowest byte", Bytes().text(v33).u32(0xFFFFFF01).append(init),
         std::nullopt, Bytes().text(v33).u8(1), std::nullopt},
        {"3.3 VNC auth", Bytes().text(v33).u32(2).append(challenge_bytes()).u32(0).append(init),
         std::string("secret"),
         Bytes().text(v33).append(response_bytes(std::string("secret"))).u8(1), std::nullopt},
        {"3.8 VNC auth without a password uses the zero key",
         Bytes().text(v38).u8(1).u8(2).append(challenge_bytes()).u32(0).append(init), std::nullopt,
         Bytes().text(v38).u8(2).append(response_bytes(std::nullopt)).u8(1), std::nullopt},
        {"3.7 VNC auth reads a SecurityResult",
         Bytes().text(v37).u8(1).u8(2).append(challenge_bytes()).u32(0).append(init),
         std::string("pw"), Bytes().text(v37).u8(2).append(response_bytes(std::string("pw"))).u8(1),
         std::nullopt},
        {"bad version", Bytes().text("RFB 3.889\n\n\n"), std::nullopt, {}, "bad ProtocolVersion"},
        {"not RFB", Bytes().text("SSH-2.0-x\r\n\n"), std::nullopt, {}, "bad ProtocolVersion"},
        {"3.3 type 0, reason not read", Bytes().text(v33).u32(0).u32(6).text("banned"),
         std::nullopt, Bytes().text(v33), "unhandled security type 0"},
        {"3.3 type 16", Bytes().text(v33).u32(16), std::nullopt, Bytes().text(v33),
         "unhandled security type 16"},
        {"3.8 no types: the server's reason",
         Bytes().text(v38).u8(0).u32(13).text("too many conns"), std::nullopt, Bytes().text(v38),
         "too many conn"},
        {"3.8 reason decoded leniently", Bytes().text(v38).u8(0).u32(3).raw({'a', 0xFF, 'b'}),
         std::nullopt, Bytes().text(v38),
         "a\xEF\xBF\xBD"
         "b"},
        {"3.8 only unsupported types", Bytes().text(v38).u8(2).u8(16).u8(19), std::nullopt,
         Bytes().text(v38), "no supported VNC security type"},
        {"3.8 refused password: server's reason",
         Bytes()
             .text(v38)
             .u8(1)
             .u8(2)
             .append(challenge_bytes())
             .u32(1)
             .u32(19)
             .text("Authentication fail"),
         std::string("wrong"), Bytes().text(v38).u8(2).append(response_bytes(std::string("wrong"))),
         "Authentication fail"},
        {"3.3 refused password without a reason",
         Bytes().text(v33).u32(2).append(challenge_bytes()).u32(1), std::string("wrong"),
         Bytes().text(v33).append(response_bytes(std::string("wrong"))), "authentication failed"},
        {"3.8 None refused with a truncated reason",
         Bytes().text(v38).u8(1).u8(1).u32(1).u32(50).text("short"), std::nullopt,
         Bytes().text(v38).u8(1), "authentication failed"},
        {"name of 16,385 bytes",
         Bytes().text(v38).u8(1).u8(1).u32(0).u16(8).u16(8).zeros(16).u32(16385), std::nullopt,
         Bytes().text(v38).u8(1).u8(1), "RFB server name exceeds the 16 KiB limit"},
        {"4097 x 4096 pixels",
         Bytes().text(v38).u8(1).u8(1).u32(0).u16(4097).u16(4096).zeros(16).u32(0), std::nullopt,
         Bytes().text(v38).u8(1).u8(1), "RFB framebuffer dimensions exceed the 16 megapixel limit"},
        {"65535 x 65535 pixels",
         Bytes().text(v38).u8(1).u8(1).u32(0).u16(65535).u16(65535).zeros(16).u32(0), std::nullopt,
         Bytes().text(v38).u8(1).u8(1), "RFB framebuffer dimensions exceed the 16 megapixel limit"},
    };
}

TEST(Handshake, ScriptedServersGetTheExactAnswersAndFailureTexts) {
    for (const auto& c : handshake_cases()) {
        MemoryStream stream(c.server);
        auto result = run_handshake(stream, c.password);
        EXPECT_EQ(stream.written(), c.client) << c.what;
        if (c.error) {
            ASSERT_FALSE(result.ok()) << c.what;
            EXPECT_EQ(result.error().kind, RfbErrorKind::Protocol) << c.what;
            EXPECT_EQ(result.error().text, *c.error) << c.what;
        } else {
            ASSERT_TRUE(result.ok()) << c.what << ": " << result.error().text;
            EXPECT_EQ(result.value().width, 640) << c.what;
            EXPECT_EQ(result.value().height, 480) << c.what;
            EXPECT_EQ(result.value().name, "desk") << c.what;
            EXPECT_EQ(stream.remaining(), 0u) << c.what;
        }
    }
}

TEST(Handshake, ServerInitLimitsAcceptTheirExactBounds) {
    struct Case {
        std::uint16_t w, h;
        std::uint32_t name_length;
    };
    const std::vector<Case> cases = {
        {4096, 4096, 16384}, {0, 0, 0}, {65535, 256, 0}, {0, 65535, 1}};
    for (const auto& c : cases) {
        Bytes server;
        server.text("RFB 003.008\n")
            .u8(1)
            .u8(1)
            .u32(0)
            .u16(c.w)
            .u16(c.h)
            .zeros(16)
            .u32(c.name_length);
        server.append(std::vector<std::uint8_t>(c.name_length, 'n'));
        MemoryStream stream(server.vec());
        auto result = run_handshake(stream, std::nullopt);
        ASSERT_TRUE(result.ok()) << c.w << "x" << c.h << ": " << result.error().text;
        EXPECT_EQ(result.value().name.size(), c.name_length);
    }
}

TEST(Handshake, EveryTruncationIsAnEndOfStream) {
    for (const auto& c : handshake_cases()) {
        if (c.error) {
            continue;
        }
        for (std::size_t cut = 0; cut < c.server.size(); ++cut) {
            const std::vector<std::uint8_t> part(
                c.server.begin(), c.server.begin() + static_cast<std::ptrdiff_t>(cut));
            MemoryStream stream(part);
            auto result = run_handshake(stream, c.password);
            ASSERT_FALSE(result.ok()) << c.what << " cut at " << cut;
            // A refused SecurityResult reports its own text; every other cut is end of stream.
            EXPECT_EQ(result.error().kind, RfbErrorKind::EndOfStream)
                << c.what << " cut at " << cut;
        }
    }
}

TEST(ReasonString, HugeLengthKeepsABoundedPrefixAndStillConsumesTheBody) {
    Bytes server;
    server.u32(10000).append(std::vector<std::uint8_t>(10000, 'r')).text("next");
    MemoryStream stream(server.vec());
    auto reason = read_reason_string(stream);
    ASSERT_TRUE(reason.ok());
    EXPECT_EQ(reason.value(), std::string(kMaxReasonBytesKept, 'r'));
    EXPECT_EQ(stream.remaining(), 4u);

    Bytes lying;
    lying.u32(0xFFFFFFFF).text("tiny");
    MemoryStream short_stream(lying.vec());
    auto failed = read_reason_string(short_stream);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().kind, RfbErrorKind::EndOfStream);
}

}  // namespace
}  // namespace remote::rfb
