#include "rfb/update_decoder.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "byte_builder.hpp"
#include "reference_model.hpp"

namespace remote::rfb {
namespace {

using testing::Bytes;
using testing::Model;
using testing::ModelRect;

// Encodes rectangles as a FramebufferUpdate body (after the type byte), client pixel format.
std::vector<std::uint8_t> encode_update(const std::vector<ModelRect>& rects) {
    Bytes b;
    b.update(static_cast<std::uint16_t>(rects.size()));
    for (const auto& r : rects) {
        b.rect(r.x, r.y, r.w, r.h, r.encoding);
        if (r.encoding == 0) {
            for (const auto& p : r.raw) {
                b.pixel(p[0], p[1], p[2]);
            }
        } else if (r.encoding == 1) {
            b.u16(r.src_x).u16(r.src_y);
        } else if (r.encoding == 2) {
            b.u32(static_cast<std::uint32_t>(r.subs.size()));
            b.pixel(r.background[0], r.background[1], r.background[2]);
            for (const auto& s : r.subs) {
                b.pixel(s.rgb[0], s.rgb[1], s.rgb[2]).u16(s.x).u16(s.y).u16(s.w).u16(s.h);
            }
        }
    }
    return b.vec();
}

RfbStatus decode(const std::vector<std::uint8_t>& body, RfbFramebuffer& fb) {
    MemoryStream stream(body);
    DecodeScratch scratch;
    auto r = read_framebuffer_update(stream, fb, client_pixel_format(), scratch);
    if (r.ok()) {
        EXPECT_EQ(stream.remaining(), 0u) << "the decoder must consume exactly the message";
    }
    return r;
}

ModelRect raw_rect(std::uint16_t x, std::uint16_t y, std::uint16_t w, std::uint16_t h,
                   std::uint8_t seed) {
    ModelRect r(x, y, w, h, 0);
    for (std::uint32_t i = 0; i < std::uint32_t{w} * h; ++i) {
        r.raw.push_back({static_cast<std::uint8_t>(i + seed), static_cast<std::uint8_t>(i * 7),
                         static_cast<std::uint8_t>(seed ^ i)});
    }
    return r;
}

ModelRect copy_rect(std::uint16_t x, std::uint16_t y, std::uint16_t w, std::uint16_t h,
                    std::uint16_t sx, std::uint16_t sy) {
    ModelRect r(x, y, w, h, 1);
    r.src_x = sx;
    r.src_y = sy;
    return r;
}

ModelRect rre_rect(std::uint16_t x, std::uint16_t y, std::uint16_t w, std::uint16_t h,
                   std::vector<ModelRect::Sub> subs) {
    ModelRect r(x, y, w, h, 2);
    r.background = {9, 8, 7};
    r.subs = std::move(subs);
    return r;
}

// A 16x12 framebuffer painted with distinct pixels first, so copies and clipping show.
std::vector<ModelRect> painted_base() {
    return {raw_rect(0, 0, 16, 12, 3)};
}

struct ModelCase {
    const char* what;
    std::vector<ModelRect> rects;
};

std::vector<ModelCase> model_cases() {
    return {
        {"raw inside", {raw_rect(2, 3, 4, 5, 1)}},
        {"raw past the right edge", {raw_rect(13, 2, 6, 3, 2)}},
        {"raw past the bottom edge", {raw_rect(1, 10, 3, 5, 2)}},
        {"raw past both edges", {raw_rect(14, 11, 5, 4, 2)}},
        {"raw entirely outside", {raw_rect(16, 0, 2, 2, 2), raw_rect(0, 12, 2, 2, 2)}},
        {"raw at 65535 offsets", {raw_rect(65535, 65535, 2, 2, 4), raw_rect(65534, 0, 3, 1, 4)}},
        {"zero width and zero height",
         {raw_rect(1, 1, 0, 7, 1), raw_rect(1, 1, 7, 0, 1), copy_rect(0, 0, 0, 5, 3, 3),
          rre_rect(2, 2, 0, 0, {})}},
        {"copy down by one row (overlap)", {copy_rect(0, 1, 16, 11, 0, 0)}},
        {"copy up by one row (overlap)", {copy_rect(0, 0, 16, 11, 0, 1)}},
        {"copy right by one column (overlap)", {copy_rect(1, 0, 15, 12, 0, 0)}},
        {"copy left by one column (overlap)", {copy_rect(0, 0, 15, 12, 1, 0)}},
        {"copy diagonally down-right", {copy_rect(3, 2, 10, 8, 1, 1)}},
        {"copy diagonally up-left", {copy_rect(1, 1, 10, 8, 3, 2)}},
        {"copy from partly outside (right)", {copy_rect(0, 0, 8, 4, 12, 0)}},
        {"copy from partly outside (bottom)", {copy_rect(0, 0, 4, 8, 0, 8)}},
        {"copy from entirely outside", {copy_rect(2, 2, 5, 5, 40000, 65535)}},
        {"copy from 65535 offsets", {copy_rect(0, 0, 3, 3, 65535, 65534)}},
        {"copy to past the edges", {copy_rect(12, 9, 10, 10, 0, 0)}},
        {"copy same place", {copy_rect(2, 2, 6, 6, 2, 2)}},
        {"rre inside", {rre_rect(1, 1, 8, 6, {{{1, 2, 3}, 1, 1, 2, 2}, {{4, 5, 6}, 3, 0, 4, 1}})}},
        {"rre subrect outside its rectangle",
         {rre_rect(2, 2, 4, 4, {{{200, 100, 50}, 3, 3, 6, 6}, {{10, 20, 30}, 10, 0, 1, 1}})}},
        {"rre past the framebuffer", {rre_rect(10, 8, 20, 20, {{{1, 1, 1}, 65535, 65535, 5, 5}})}},
        {"rre at 65535", {rre_rect(65535, 0, 3, 3, {{{1, 1, 1}, 0, 0, 1, 1}})}},
        {"later subrects overwrite earlier",
         {rre_rect(0, 0, 5, 5, {{{1, 0, 0}, 0, 0, 3, 3}, {{0, 1, 0}, 1, 1, 3, 3}})}},
    };
}

TEST(FramebufferUpdate, MatchesThePixelByPixelModelAtEveryEdge) {
    for (const auto& c : model_cases()) {
        RfbFramebuffer fb(16, 12);
        Model model(16, 12);
        auto rects = painted_base();
        rects.insert(rects.end(), c.rects.begin(), c.rects.end());
        for (const auto& r : rects) {
            model.apply(r);
        }
        const auto result = decode(encode_update(rects), fb);
        ASSERT_TRUE(result.ok()) << c.what << ": " << result.error().text;
        const auto bytes = fb.bytes();
        ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), model.pixels().begin())) << c.what;
        EXPECT_EQ(fb.generation(), 1u) << c.what;
    }
}

TEST(FramebufferUpdate, PixelsSplitAcrossNetworkReadsDecodeTheSame) {
    for (std::size_t piece : {1u, 2u, 3u, 5u, 7u, 13u}) {
        for (const auto& c : model_cases()) {
            RfbFramebuffer fb(16, 12);
            Model model(16, 12);
            auto rects = painted_base();
            rects.insert(rects.end(), c.rects.begin(), c.rects.end());
            for (const auto& r : rects) {
                model.apply(r);
            }
            const auto body = encode_update(rects);
            MemoryStream stream(body, piece);
            DecodeScratch scratch;
            ASSERT_TRUE(read_framebuffer_update(stream, fb, client_pixel_format(), scratch).ok());
            EXPECT_EQ(stream.remaining(), 0u);
            const auto bytes = fb.bytes();
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), model.pixels().begin()))
                << c.what << " in pieces of " << piece;
        }
    }
}

TEST(FramebufferUpdate, RandomOverlappingCopiesMatchTheModel) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        const auto w = static_cast<std::uint16_t>(1 + rng() % 24);
        const auto h = static_cast<std::uint16_t>(1 + rng() % 24);
        RfbFramebuffer fb(w, h);
        Model model(w, h);
        std::vector<ModelRect> rects = {raw_rect(0, 0, w, h, static_cast<std::uint8_t>(round))};
        for (int k = 0; k < 4; ++k) {
            auto coord = [&](std::uint16_t limit) {
                return static_cast<std::uint16_t>(rng() % (limit + 4u));
            };
            rects.push_back(copy_rect(coord(w), coord(h), coord(w), coord(h), coord(w), coord(h)));
        }
        for (const auto& r : rects) {
            model.apply(r);
        }
        ASSERT_TRUE(decode(encode_update(rects), fb).ok());
        const auto bytes = fb.bytes();
        ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), model.pixels().begin()))
            << "round " << round;
    }
}

TEST(FramebufferUpdate, PixelsWrittenByTheServerAreOpaqueAndTheRestStayTransparent) {
    RfbFramebuffer fb(4, 1);
    ASSERT_TRUE(decode(encode_update({raw_rect(1, 0, 1, 1, 0)}), fb).ok());
    EXPECT_EQ(fb.pixel(0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(fb.pixel(1, 0)[3], 255);
    EXPECT_EQ(fb.pixel(2, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(FramebufferUpdate, ConvertsClientFormatPixelsToRgba) {
    RfbFramebuffer fb(1, 1);
    Bytes b;
    b.update(1).rect(0, 0, 1, 1, 0).raw({0x33, 0x22, 0x11, 0xEE});  // 0xEE112233 little-endian
    ASSERT_TRUE(decode(b.vec(), fb).ok());
    EXPECT_EQ(fb.pixel(0, 0), (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 255}));
}

TEST(FramebufferUpdate, ZeroRectanglesStillAdvanceTheGeneration) {
    RfbFramebuffer fb(2, 2);
    ASSERT_TRUE(decode(Bytes().update(0).vec(), fb).ok());
    ASSERT_TRUE(decode(Bytes().update(0).vec(), fb).ok());
    EXPECT_EQ(fb.generation(), 2u);
}

TEST(FramebufferUpdate, AcceptsEveryRectangleCountTheFieldCarries) {
    // 65,535 one-pixel rectangles scattered like the dots of a real desktop update.
    RfbFramebuffer fb(1280, 800);
    Bytes b;
    b.update(65535);
    for (std::uint32_t i = 0; i < 65535; ++i) {
        b.rect(static_cast<std::uint16_t>((i * 37) % 1280),
               static_cast<std::uint16_t>((i * 11) % 800), 1, 1, 0)
            .pixel(static_cast<std::uint8_t>(i), 0, 0);
    }
    ASSERT_TRUE(decode(b.vec(), fb).ok());
    EXPECT_EQ(fb.generation(), 1u);
    EXPECT_EQ(fb.pixel(37, 11)[3], 255);
}

struct LimitCase {
    const char* what;
    std::vector<std::uint8_t> body;
    std::string error;
    std::size_t max_bytes_read;  // the refusal must come before the body is consumed
};

std::vector<LimitCase> limit_cases() {
    std::vector<LimitCase> cases;
    auto add = [&](const char* what, Bytes b, std::string error) {
        const std::size_t size = b.vec().size();
        cases.push_back({what, b.vec(), std::move(error), size});
    };
    add("raw of 4097 x 4096", Bytes().update(1).rect(0, 0, 4097, 4096, 0),
        "RFB raw rectangle is too large");
    add("raw of 65535 x 65535", Bytes().update(1).rect(0, 0, 65535, 65535, 0),
        "RFB raw rectangle is too large");
    add("copy of 4097 x 4096", Bytes().update(1).rect(0, 0, 4097, 4096, 1).u16(0).u16(0),
        "RFB copy rectangle is too large");
    add("copy of 65535 x 65535", Bytes().update(1).rect(0, 0, 65535, 65535, 1).u16(0).u16(0),
        "RFB copy rectangle is too large");
    add("rre with 1,000,001 subrects", Bytes().update(1).rect(0, 0, 1, 1, 2).u32(1000001),
        "RFB RRE update has too many subrectangles");
    add("rre with 0xFFFFFFFF subrects", Bytes().update(1).rect(0, 0, 1, 1, 2).u32(0xFFFFFFFF),
        "RFB RRE update has too many subrectangles");
    add("rre background of 65535 x 65535", Bytes().update(1).rect(0, 0, 65535, 65535, 2).u32(0),
        "RRE background rectangle exceeds the pixel work limit");
    add("rre subrect of 4097 x 4096",
        Bytes()
            .update(1)
            .rect(0, 0, 1, 1, 2)
            .u32(1)
            .pixel(0, 0, 0)
            .pixel(1, 1, 1)
            .u16(0)
            .u16(0)
            .u16(4097)
            .u16(4096),
        "RRE subrectangle exceeds the pixel work limit");
    add("rre running total of two full-size subrects",
        Bytes()
            .update(1)
            .rect(0, 0, 1, 1, 2)
            .u32(2)
            .pixel(0, 0, 0)
            .pixel(1, 1, 1)
            .u16(0)
            .u16(0)
            .u16(4096)
            .u16(4096)
            .pixel(2, 2, 2)
            .u16(0)
            .u16(0)
            .u16(4096)
            .u16(4096),
        "RRE subrectangles exceed the pixel work limit");
    add("rre running total passes by one pixel",
        Bytes()
            .update(1)
            .rect(0, 0, 1, 1, 2)
            .u32(2)
            .pixel(0, 0, 0)
            .pixel(1, 1, 1)
            .u16(0)
            .u16(0)
            .u16(4096)
            .u16(4095)
            .pixel(2, 2, 2)
            .u16(0)
            .u16(0)
            .u16(4097)
            .u16(1),
        "RRE subrectangles exceed the pixel work limit");
    add("unknown encoding 5", Bytes().update(1).rect(0, 0, 1, 1, 5), "unsupported RFB encoding 5");
    add("pseudo-encoding -223", Bytes().update(1).rect(0, 0, 1, 1, -223),
        "unsupported RFB encoding -223");
    add("encoding -2147483648", Bytes().update(1).rect(0, 0, 1, 1, INT32_MIN),
        "unsupported RFB encoding -2147483648");
    add("hextile after a good rectangle",
        Bytes().update(2).rect(0, 0, 1, 1, 0).pixel(1, 2, 3).rect(0, 0, 1, 1, 5),
        "unsupported RFB encoding 5");
    return cases;
}

TEST(FramebufferUpdate, LimitsAndUnknownEncodingsFailWithTheirTexts) {
    for (const auto& c : limit_cases()) {
        RfbFramebuffer fb(16, 16);
        // Trailing bytes stand for the body a hostile server would send next: none of it may be
        // read before the refusal.
        auto body = c.body;
        body.resize(body.size() + 64, 0xAB);
        MemoryStream stream(body);
        DecodeScratch scratch;
        auto r = read_framebuffer_update(stream, fb, client_pixel_format(), scratch);
        ASSERT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.error().kind, RfbErrorKind::Protocol) << c.what;
        EXPECT_EQ(r.error().text, c.error) << c.what;
        EXPECT_EQ(body.size() - stream.remaining(), c.max_bytes_read) << c.what;
        EXPECT_EQ(fb.generation(), 0u) << c.what;
    }
}

TEST(FramebufferUpdate, WorkLimitsAcceptTheirExactBounds) {
    {
        // Exactly 64 MiB of raw data on a framebuffer of 4096 x 4096.
        RfbFramebuffer fb(4096, 4096);
        Bytes b;
        b.update(1).rect(0, 0, 4096, 4096, 0);
        std::vector<std::uint8_t> body = b.vec();
        body.resize(body.size() + 4096u * 4096u * 4u, 0x7F);
        ASSERT_TRUE(decode(body, fb).ok());
        EXPECT_EQ(fb.pixel(4095, 4095), (std::array<std::uint8_t, 4>{0x7F, 0x7F, 0x7F, 255}));
    }
    {
        // A running total of exactly 16,777,216 is accepted.
        RfbFramebuffer fb(8, 8);
        Bytes b;
        b.update(1).rect(0, 0, 4096, 4096, 2).u32(2).pixel(0, 0, 0);
        b.pixel(1, 1, 1).u16(0).u16(0).u16(4096).u16(2048);
        b.pixel(2, 2, 2).u16(0).u16(2048).u16(4096).u16(2048);
        ASSERT_TRUE(decode(b.vec(), fb).ok());
        EXPECT_EQ(fb.pixel(0, 0), (std::array<std::uint8_t, 4>{1, 1, 1, 255}));
    }
    {
        RfbFramebuffer fb(8, 8);
        ASSERT_TRUE(
            decode(Bytes().update(1).rect(0, 0, 4096, 4096, 1).u16(0).u16(0).vec(), fb).ok());
    }
}

TEST(FramebufferUpdate, AppliedRectanglesStayWhenALaterOneFails) {
    RfbFramebuffer fb(4, 4);
    Bytes b;
    b.update(2).rect(0, 0, 1, 1, 0).pixel(10, 20, 30).rect(0, 0, 1, 1, 7);
    auto r = decode(b.vec(), fb);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(fb.pixel(0, 0), (std::array<std::uint8_t, 4>{10, 20, 30, 255}));
    EXPECT_EQ(fb.generation(), 0u);
}

TEST(FramebufferUpdate, EveryTruncationIsAnEndOfStreamAndNeverAdvancesTheGeneration) {
    std::vector<ModelRect> rects = {raw_rect(0, 0, 3, 2, 1), copy_rect(1, 1, 2, 2, 0, 0),
                                    rre_rect(0, 0, 4, 4, {{{1, 2, 3}, 1, 1, 2, 2}})};
    const auto full = encode_update(rects);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        RfbFramebuffer fb(4, 4);
        const std::vector<std::uint8_t> part(full.begin(),
                                             full.begin() + static_cast<std::ptrdiff_t>(cut));
        auto r = decode(part, fb);
        ASSERT_FALSE(r.ok()) << "cut at " << cut;
        EXPECT_EQ(r.error().kind, RfbErrorKind::EndOfStream) << "cut at " << cut;
        EXPECT_EQ(fb.generation(), 0u);
    }
}

TEST(FramebufferUpdate, GenerationExhaustedIsRefusedBeforeReading) {
    RfbFramebuffer fb(1, 1, UINT64_MAX - 1);
    const auto body = Bytes().update(0).vec();
    ASSERT_TRUE(decode(body, fb).ok());
    EXPECT_EQ(fb.generation(), UINT64_MAX);
    MemoryStream stream(body);
    DecodeScratch scratch;
    auto r = read_framebuffer_update(stream, fb, client_pixel_format(), scratch);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().text, "RFB framebuffer generation exhausted");
    EXPECT_EQ(stream.remaining(), body.size());
    EXPECT_EQ(fb.generation(), UINT64_MAX);
}

TEST(ServerMessages, OthersAreConsumedWithoutEffect) {
    struct Case {
        const char* what;
        std::uint8_t type;
        std::vector<std::uint8_t> body;
        ServerMessage expected;
    };
    std::vector<std::uint8_t> cut_text = Bytes().zeros(3).u32(100000).vec();
    cut_text.resize(cut_text.size() + 100000, 'c');
    const std::vector<Case> cases = {
        {"bell", 2, {}, ServerMessage::Bell},
        {"colour map of 3 entries", 1, Bytes().u8(0).u16(0).u16(3).zeros(18).vec(),
         ServerMessage::SetColourMapEntries},
        {"colour map of 65535 entries", 1,
         [] {
             auto v = Bytes().u8(0).u16(7).u16(65535).vec();
             v.resize(v.size() + 65535u * 6u, 1);
             return v;
         }(),
         ServerMessage::SetColourMapEntries},
        {"cut text of 100,000 bytes", 3, cut_text, ServerMessage::ServerCutText},
        {"empty cut text", 3, Bytes().zeros(3).u32(0).vec(), ServerMessage::ServerCutText},
    };
    for (const auto& c : cases) {
        RfbFramebuffer fb(2, 2);
        auto body = c.body;
        body.push_back(0x5A);  // the next message's first byte must be left alone
        MemoryStream stream(body);
        DecodeScratch scratch;
        auto r = read_server_message(c.type, stream, fb, client_pixel_format(), scratch);
        ASSERT_TRUE(r.ok()) << c.what;
        EXPECT_EQ(r.value(), c.expected) << c.what;
        EXPECT_EQ(stream.remaining(), 1u) << c.what;
        EXPECT_EQ(fb.generation(), 0u) << c.what;
    }
}

TEST(ServerMessages, HostileLengthsAndTruncationsEndTheStream) {
    struct Case {
        const char* what;
        std::uint8_t type;
        std::vector<std::uint8_t> body;
        RfbErrorKind kind;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"cut text claiming 0xFFFFFFFF bytes", 3,
         Bytes().zeros(3).u32(0xFFFFFFFF).text("short").vec(), RfbErrorKind::EndOfStream, ""},
        {"cut text cut in its header", 3, Bytes().zeros(3).u8(0).vec(), RfbErrorKind::EndOfStream,
         ""},
        {"colour map cut in its entries", 1, Bytes().u8(0).u16(0).u16(2).zeros(7).vec(),
         RfbErrorKind::EndOfStream, ""},
        {"update cut in its header", 0, Bytes().u8(0).vec(), RfbErrorKind::EndOfStream, ""},
        {"unknown message 4", 4, {}, RfbErrorKind::Protocol, "unknown server message 4"},
        {"unknown message 255", 255, {}, RfbErrorKind::Protocol, "unknown server message 255"},
    };
    for (const auto& c : cases) {
        RfbFramebuffer fb(2, 2);
        MemoryStream stream(c.body);
        DecodeScratch scratch;
        auto r = read_server_message(c.type, stream, fb, client_pixel_format(), scratch);
        ASSERT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.error().kind, c.kind) << c.what;
        if (!c.text.empty()) {
            EXPECT_EQ(r.error().text, c.text) << c.what;
        }
    }
}

TEST(PixelConversion, ScalesEveryChannelWithRoundingForOtherFormats) {
    struct Case {
        const char* what;
        RfbPixelFormat format;
        std::vector<std::uint8_t> pixel;
        std::array<std::uint8_t, 4> rgba;
    };
    RfbPixelFormat rgb565{16, 16, false, true, 31, 63, 31, 11, 5, 0};
    RfbPixelFormat rgb565_be = rgb565;
    rgb565_be.big_endian = true;
    RfbPixelFormat bgr233{8, 8, false, true, 7, 7, 3, 0, 3, 6};
    RfbPixelFormat rgb24_be{24, 24, true, true, 255, 255, 255, 16, 8, 0};
    RfbPixelFormat no_blue{32, 24, false, true, 255, 255, 0, 16, 8, 0};
    RfbPixelFormat huge_shift{32, 24, false, true, 255, 255, 255, 40, 8, 200};
    const std::vector<Case> cases = {
        {"client format", client_pixel_format(), {0x30, 0x20, 0x10, 0x00}, {0x10, 0x20, 0x30, 255}},
        {"565 white", rgb565, {0xFF, 0xFF}, {255, 255, 255, 255}},
        {"565 red 16 of 31 rounds half up", rgb565, {0x00, 0x80}, {132, 0, 0, 255}},
        {"565 big-endian green", rgb565_be, {0x07, 0xE0}, {0, 255, 0, 255}},
        {"233 mid values", bgr233, {0b10'100'011}, {109, 146, 170, 255}},
        {"24-bit big-endian", rgb24_be, {0x12, 0x34, 0x56}, {0x12, 0x34, 0x56, 255}},
        {"a zero max gives a zero channel", no_blue, {0xFF, 0xFF, 0xFF, 0xFF}, {255, 255, 0, 255}},
        {"shifts past 31 read as zero", huge_shift, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 255, 0, 255}},
    };
    for (const auto& c : cases) {
        const PixelConverter conv(c.format);
        EXPECT_EQ(conv.convert_one(c.pixel.data()), c.rgba) << c.what;
        std::array<std::uint8_t, 4> out{};
        conv.convert(c.pixel.data(), out.data(), 1);
        EXPECT_EQ(out, c.rgba) << c.what;
    }
}

TEST(PixelConversion, BadBitsPerPixelIsRefused) {
    for (std::uint8_t bits : {std::uint8_t{0}, std::uint8_t{33}, std::uint8_t{255}}) {
        RfbPixelFormat f = client_pixel_format();
        f.bits_per_pixel = bits;
        RfbFramebuffer fb(2, 2);
        const auto body = Bytes().update(1).rect(0, 0, 1, 1, 0).zeros(4).vec();
        MemoryStream stream(body);
        DecodeScratch scratch;
        auto r = read_framebuffer_update(stream, fb, f, scratch);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().text, "invalid RFB pixel format") << int(bits);
    }
}

}  // namespace
}  // namespace remote::rfb
